// Helpers shared by the test programs.
#ifndef TESTS_TESTUTIL_H
#define TESTS_TESTUTIL_H

#include <windows.h>
#include <string>
#include <vector>

// A code page 932 string from UTF-8 source text, for comparing with the
// program's bytes.
std::string Sjis(const char *utf8);
// The program's text in UTF-8 as the user reads it: ja where the user's UI
// language is Japanese, en everywhere else.
std::string Said(const std::string &ja, const std::string &en);

// n paths of about `width` bytes: more and wider than the window shows.
std::vector<std::string> LongNames(int n, int width = 80);

// UTF-8 and UTF-16, both ways.
std::wstring Wide(const std::string &utf8);
std::string Utf8(const wchar_t *wide, int n);

// Builds a name list from UTF-8 names; returns the head (0 for none).
HGLOBAL MakeList(const std::vector<std::string> &names);
// Reads every name of a list from its head, in UTF-8.
std::vector<std::string> ReadList(HGLOBAL hHead);

#endif

#include <functional>

// The test program's own folder, with a trailing backslash: the program's
// profile lies there.
std::string ExeDir();
// A folder of this test program's own, made on first use, whose path is
// short however deep the checkout lies (trailing backslash): a report
// shows the names under it whole.
std::string ShortDir();
// Paths in UTF-8.
std::string ReadFileBytes(const std::string &path);   // "" when missing
bool WriteFileBytes(const std::string &path, const std::string &bytes);
bool FileExists(const std::string &path);

// What a dialog box of this thread showed when it became active.
struct DialogSeen {
    std::string caption;
    std::string text;       // a message box's message
    std::string utf8;       // the same as the box shows it, in UTF-8
    HWND owner = NULL;
    UINT icon = 0;          // MB_ICONHAND, MB_ICONQUESTION, ... or 0
    bool hasOk = false, hasCancel = false;
    bool topmost = false;   // MB_SYSTEMMODAL boxes are topmost
};

// Answers every dialog box (class #32770) that becomes active on this
// thread while it lives, the way Wine's conformance tests do: a WH_CBT hook
// records what the box shows and calls act(hwnd), which usually posts a
// button press.  Boxes are recorded once each, in order.
class DialogAnswerer {
public:
    explicit DialogAnswerer(std::function<void(HWND)> act);
    ~DialogAnswerer();
    std::vector<DialogSeen> seen;
    std::function<void(HWND)> act;
};

// An act that presses one button.
std::function<void(HWND)> Press(int id);

// An act for the font chooser: picks the face, the size in points and the
// colour from its lists, then presses OK.
std::function<void(HWND)> PickFont(const char *face, int points, COLORREF colour);

// Runs every message waiting for this thread, paints included; notes a
// WM_QUIT instead of passing it on.
void Pump();
extern bool quitSeen;
extern WPARAM quitCode;

// A drop handle as the shell builds it: a DROPFILES block followed by the
// names, each NUL-terminated, and one more NUL.  ANSI names are code page
// 932 bytes; wide names come from UTF-8, "\x01" standing for a lone
// surrogate.
HDROP MakeDropA(const std::vector<std::string> &names);
HDROP MakeDropW(const std::vector<std::string> &utf8Names);

// The main window of a test: started as the program starts, closed after.
#include <gtest/gtest.h>

#include "TAMSEL.H"
#include "seams.h"
class MainWindowTest : public ::testing::Test {
protected:
    std::string ini;
    virtual std::string Profile() { return ""; }  // "" for none
    virtual void BeforeWindow() {}                // the seams for the window's creation
    void SetUp() override;
    void TearDown() override;
    void Drop(const std::vector<std::string> &names);   // a wide drop of UTF-8 names, then Pump
    std::string Caption();
    bool Grayed(UINT id);
    std::string MenuText(UINT id);   // in UTF-8, as the menu shows it when opened
};

// The main window with a tree made up through a seam under a folder of
// the test's, and folders' contents listed.
class TreeTest : public MainWindowTest {
protected:
    std::string root;   // the made-up tree's folder

    void SetUp() override
    {
        MainWindowTest::SetUp();
        direct_copy_on = 0;
        folder_contents_on = 1;
        root = ShortDir() + "made-up";
        CreateDirectoryA(root.c_str(), NULL);
        seam::fakeTree = Wide(root);
    }
    void TearDown() override
    {
        Ctrl(false);
        folder_contents_on = folders_too_on = add_drops_on = 0;
        MainWindowTest::TearDown();
    }
    static void Tree(int depth, int folders, int files)
    {
        seam::fakeDepth = depth;
        seam::fakeFolders = folders;
        seam::fakeFiles = files;
    }
    static void Ctrl(bool held)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = held ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    void PumpUntil(UINT names)
    {
        for (DWORD end = GetTickCount() + 5000; TotalNumberOfFiles != names && GetTickCount() < end; Sleep(20))
            Pump();
    }
};

// The clipboard's CF_TEXT bytes; "<none>" when it holds no text.
std::string ClipboardText();
void SetClipboardText(const std::string &text);
// CF_UNICODETEXT in UTF-8, when the copy placed it itself (listed first,
// before the formats Windows makes from it).
std::string ClipboardUnicode();
// The clipboard's formats in the order placed, and its CF_LOCALE (0: none).
std::vector<UINT> ClipboardFormats(LCID *locale);

// Holds the clipboard open from another thread while it lives, as another
// program would.
class ClipboardHolder {
public:
    explicit ClipboardHolder(DWORD ms = INFINITE);   // or only for ms
    ~ClipboardHolder();
    bool holding = false;
private:
    HANDLE thread, release, opened;
};
