#include "testutil.h"

#include "GSTRLIST.H"

std::string Sjis(const char *utf8)
{
    wchar_t wide[1024];
    char bytes[2048];
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 1024);
    n = WideCharToMultiByte(932, 0, wide, n, bytes, sizeof bytes, NULL, NULL);
    return n > 0 ? std::string(bytes) : std::string();
}

HGLOBAL MakeList(const std::vector<std::string> &names)
{
    HGLOBAL hHead = 0, hLast = 0;
    for (const std::string &name : names) {
        hLast = String_list_add(name.c_str(), (UINT)name.size() + 1, hLast);
        if (!hHead)
            hHead = hLast;
    }
    return hHead;
}

std::vector<std::string> ReadList(HGLOBAL hHead)
{
    std::vector<std::string> names;
    char buff[NAME_BUFF_SIZE];
    for (HGLOBAL h = hHead; h; h = String_List_Next(h)) {
        if (!String_List_Read(h, buff))
            break;
        names.push_back(buff);
    }
    return names;
}
