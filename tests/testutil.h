// Helpers shared by the test programs.
#ifndef TESTS_TESTUTIL_H
#define TESTS_TESTUTIL_H

#include <windows.h>
#include <string>
#include <vector>

// A code page 932 string from UTF-8 source text, for comparing with the
// program's bytes.
std::string Sjis(const char *utf8);

// Builds a name list from names; returns the head (0 for none).
HGLOBAL MakeList(const std::vector<std::string> &names);
// Reads every name of a list from its head.
std::vector<std::string> ReadList(HGLOBAL hHead);

#endif
