// Help > Index from the running program opens TAMSEL.CHM (built beside the
// test program) in HTML Help, and without it TAMSEL.HLP at its index page
// in the older help viewer.
#include <gtest/gtest.h>

#include "TAMSEL.H"
#include <commctrl.h>
#include <htmlhelp.h>

#include "seams.h"

#include "testutil.h"

namespace {

struct Search {
    const char *cls;
    const char *title;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lParam)
{
    Search *s = (Search *)lParam;
    char cls[64], title[512];
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    if (!strcmp(cls, s->cls) && strstr(title, s->title)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectRichText(HWND hwnd, LPARAM lParam)
{
    char cls[64];
    GetClassNameA(hwnd, cls, sizeof cls);
    if (!_strnicmp(cls, "RichEdit", 8)) {
        // Sent, not GetWindowText: that gives another process's window
        // caption, not the control's text.
        char text[8192];
        DWORD_PTR n = 0;
        if (SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_BLOCK, 2000, &n))
            *(std::string *)lParam += std::string(text, n);
    }
    return TRUE;
}

// The top-level window of class cls whose caption holds `title`, waited for.
HWND WaitForHelp(const char *title, const char *cls = "MS_WINHELP", int tries = 400)
{
    for (int i = 0; i < tries; i++) {
        Pump();
        Search s = {cls, title, NULL};
        EnumWindows(FindTopLevel, (LPARAM)&s);
        if (s.found)
            return s.found;
        Sleep(50);
    }
    return NULL;
}

// Boxes of other processes (the older viewer's "cannot open" among them),
// closed as they come, so that none holds the test up: counted.
LONG foreignBoxes;
BOOL CALLBACK CloseForeignBox(HWND hwnd, LPARAM)
{
    char cls[64];
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid != GetCurrentProcessId() && !strcmp(cls, "#32770") && IsWindowVisible(hwnd)) {
        InterlockedIncrement(&foreignBoxes);
        PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}
DWORD WINAPI CloseForeignBoxes(void *stop)
{
    while (WaitForSingleObject(stop, 100) == WAIT_TIMEOUT)
        EnumWindows(CloseForeignBox, 0);
    return 0;
}

class HelpTest : public MainWindowTest {
protected:
    // The help files lie beside the program, here in a folder whose path is
    // past the older viewer's 127 characters, and as long however deep the
    // checkout lies.
    const std::string dir = ShortDir() + std::string(110, 'h') + "\\";
    const std::string chm = dir + "TAMSEL.CHM";
    HANDLE stop = NULL, watcher = NULL;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        CreateDirectoryA(dir.c_str(), NULL);
        for (const char *file : {"TAMSEL.HLP", "TAMSEL.CHM"})   // (HTML Help may still hold an earlier copy)
            ASSERT_TRUE(CopyFileA((ExeDir() + file).c_str(), (dir + file).c_str(), FALSE) || FileExists(dir + file));
        Set_Pro_File_Name(Wide(dir + "Tamsel32.exe").c_str());
        foreignBoxes = 0;
        stop = CreateEventA(NULL, TRUE, FALSE, NULL);
        watcher = CreateThread(NULL, 0, CloseForeignBoxes, stop, 0, NULL);
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        SetEvent(stop);
        WaitForSingleObject(watcher, 5000);
        CloseHandle(watcher);
        CloseHandle(stop);
        for (const char *file : {"TAMSEL.HLP", "TAMSEL.CHM", "TAMSEL.CHM.away"})
            DeleteFileA((dir + file).c_str());
    }
};

TEST_F(HelpTest, IndexOpensTheHtmlHelpWindowWhichClosesWithTheProgram)
{
    ASSERT_TRUE(FileExists(chm));
    EXPECT_EQ(SendMessageA(hWndMain, WM_COMMAND, IDM_INDEX, 0), 0);
    HWND help = WaitForHelp("Tamsel32 Help", "HH Parent");
    ASSERT_NE(help, nullptr) << "no HTML Help window";
    char title[64];
    GetWindowTextA(help, title, sizeof title);
    EXPECT_STREQ(title, "Tamsel32 Help");
    DWORD pid = 0;
    GetWindowThreadProcessId(help, &pid);
    EXPECT_EQ(pid, GetCurrentProcessId());
    // The contents tree holds the twenty-eight topics (the pages
    // themselves need an HTML engine, which this Wine has not).
    HWND tree = NULL;
    for (int i = 0; i < 100 && !tree; i++, Pump())
        tree = FindWindowExA(FindWindowExA(help, NULL, "HH Child", NULL), NULL, "SysTreeView32", NULL);
    EXPECT_EQ(tree ? SendMessageA(tree, TVM_GETCOUNT, 0, 0) : 0, 28);

    // Using Help stays with HTML Help (its topic cannot be seen without an
    // HTML engine): no older viewer comes up within a second.
    EXPECT_EQ(SendMessageA(hWndMain, WM_COMMAND, IDM_USINGHELP, 0), 0);
    EXPECT_EQ(WaitForHelp("", "MS_WINHELP", 20), nullptr);

    SendMessageA(hWndMain, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(help));
    EXPECT_EQ(quitCode, 0u);
}

TEST_F(HelpTest, WithoutTheChmIndexOpensTheOlderHelpAtItsIndexPage)
{
    ASSERT_TRUE(MoveFileA(chm.c_str(), (chm + ".away").c_str()));
    ASSERT_TRUE(FileExists(dir + "TAMSEL.HLP"));
    EXPECT_EQ(SendMessageA(hWndMain, WM_COMMAND, IDM_INDEX, 0), 0);

    // The viewer shows the file's page under the file's title.
    HWND help = WaitForHelp("");
    ASSERT_NE(help, nullptr) << "no help window";
    char title[128];
    GetWindowTextA(help, title, sizeof title);
    EXPECT_STREQ(title, "Tamsel32 Help");
    std::string text;
    for (int i = 0; i < 100 && text.find("Tamsel32 turns files into text") == std::string::npos; i++) {
        text.clear();
        EnumChildWindows(help, CollectRichText, (LPARAM)&text);
        Sleep(50);
    }
    EXPECT_EQ(text.rfind("Tamsel32 Help", 0), 0u) << text.substr(0, 200);   // the index's heading
    EXPECT_NE(text.find("Tamsel32 turns files into text"), std::string::npos);
    EXPECT_NE(text.find("The File menu: Save, Save As, Exit."), std::string::npos);

    EXPECT_EQ(foreignBoxes, 0) << "the viewer showed an error box";
    SendMessageA(hWndMain, WM_CLOSE, 0, 0);   // which closes the viewer
    for (int i = 0; i < 100 && IsWindow(help); i++)
        Sleep(50);
    EXPECT_FALSE(IsWindow(help));
}

TEST_F(HelpTest, HtmlHelpIsLoadedFromTheSystemAndAskedForTheTopics)
{
    // hhctrl.ocx by its bare name would be the one beside the program.
    seam::fakeHtmlHelp = true;
    SendMessageA(hWndMain, WM_COMMAND, IDM_USINGHELP, 0);
    SendMessageA(hWndMain, WM_COMMAND, IDM_INDEX, 0);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(seam::libraryAsked, std::string(system) + "\\hhctrl.ocx");
    ASSERT_GE(seam::htmlHelpAsked.size(), 2u);
    EXPECT_EQ(seam::htmlHelpAsked[0], std::make_pair(chm + "::/using_help.htm", (UINT)HH_DISPLAY_TOPIC));
    EXPECT_EQ(seam::htmlHelpAsked[1], std::make_pair(chm, (UINT)HH_DISPLAY_INDEX));
    // A file whose index cannot be shown opens at its contents.
    seam::htmlHelpRefuses = HH_DISPLAY_INDEX;
    SendMessageA(hWndMain, WM_COMMAND, IDM_INDEX, 0);
    ASSERT_EQ(seam::htmlHelpAsked.size(), 4u);
    EXPECT_EQ(seam::htmlHelpAsked[3], std::make_pair(chm, (UINT)HH_DISPLAY_TOC));
}

TEST_F(HelpTest, WithoutHtmlHelpIndexOpensTheOlderHelp)
{
    seam::noHtmlHelp = true;   // TAMSEL.CHM is there, hhctrl.ocx is not
    SetCurrentDirectoryA("C:\\");   // started from another folder
    EXPECT_EQ(SendMessageA(hWndMain, WM_COMMAND, IDM_INDEX, 0), 0);
    EXPECT_NE(WaitForHelp("Tamsel32 Help"), nullptr);
}

}  // namespace
