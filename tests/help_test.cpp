// Help > Index from the running program opens TAMSEL.HLP (built beside the
// test program) at its index page in the system's help viewer.
#include <gtest/gtest.h>

#include "TAMSEL.H"
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

// The help viewer's window whose caption holds `title`, waited for.
HWND WaitForHelp(const char *title)
{
    for (int i = 0; i < 200; i++) {
        Pump();
        Search s = {"MS_WINHELP", title, NULL};
        EnumWindows(FindTopLevel, (LPARAM)&s);
        if (s.found)
            return s.found;
        Sleep(50);
    }
    return NULL;
}

struct Boxes {
    DWORD pid;
    int count;
};

BOOL CALLBACK CountBoxes(HWND hwnd, LPARAM lParam)
{
    Boxes *b = (Boxes *)lParam;
    char cls[64];
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid == b->pid && !strcmp(cls, "#32770") && IsWindowVisible(hwnd))
        b->count++;
    return TRUE;
}

class HelpTest : public MainWindowTest {
protected:
    void TearDown() override
    {
        std::string help = ExeDir() + "TAMSEL.HLP";
        WinHelpA(hWndMain, help.c_str(), HELP_QUIT, 0);
        MainWindowTest::TearDown();
    }
};

TEST_F(HelpTest, IndexCommandOpensTheHelpAtItsIndexPage)
{
    ASSERT_TRUE(FileExists(ExeDir() + "TAMSEL.HLP"));
    EXPECT_EQ(SendMessageA(hWndMain, WM_COMMAND, IDM_INDEX, 0), 0);

    // The viewer shows the file's page; its caption stays its own.
    HWND help = WaitForHelp("");
    ASSERT_NE(help, nullptr) << "no help window";
    std::string text;
    for (int i = 0; i < 100 && text.find("Tamsel32 turns files into text") == std::string::npos; i++) {
        text.clear();
        EnumChildWindows(help, CollectRichText, (LPARAM)&text);
        Sleep(50);
    }
    EXPECT_EQ(text.rfind("Tamsel32 Help", 0), 0u) << text.substr(0, 200);   // the index's heading
    EXPECT_NE(text.find("Tamsel32 turns files into text"), std::string::npos);
    EXPECT_NE(text.find("The File menu: Save, Save As, Exit."), std::string::npos);

    Boxes boxes = {0, 0};
    GetWindowThreadProcessId(help, &boxes.pid);
    EnumWindows(CountBoxes, (LPARAM)&boxes);
    EXPECT_EQ(boxes.count, 0) << "the viewer showed an error box";
}

}  // namespace
