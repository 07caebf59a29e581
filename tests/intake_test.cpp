// Names that come while the list is being made: a folder's walk on trees
// made up through a seam (as deep as a path can be, past the list's limit),
// and the drops, pastes and other starts' names that wait for it.
#include <gtest/gtest.h>

#include "TAMSEL.H"
#include "seams.h"
#include "testutil.h"

namespace {

class IntakeTest : public TreeTest {};

TEST_F(IntakeTest, WalkGoesAsDeepAsAPathCanAndStopsAtTheListsLimit)
{
    // 16,000 folders one in another: a path of 32,000 characters, which a
    // call a level would not survive.
    Tree(16000, 0, 1);
    Drop({root});
    std::string deepest = root;
    for (int i = 0; i < 16000; i++)
        deepest += "\\d";
    deepest += "\\f0";
    const std::vector<std::string> listed = ReadList(hFNameTopList);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_TRUE(listed[0] == deepest) << listed[0].size() << " characters: " << listed[0].substr(0, 80);

    // 32,500 names: the walk stops at 32,000 and says so; the caption
    // counted on the way.
    Tree(0, 65, 500);
    std::string during;
    seam::onFind = [&](int opened) {
        if (opened == 20)
            Sleep(300);   // past the caption's pace
        if (opened == 22)
            during = Caption();
    };
    DialogAnswerer answer(Press(IDOK));
    Drop({root});
    EXPECT_EQ(TotalNumberOfFiles, 32000u);
    EXPECT_EQ(Caption(), "Tamsel32 32000-Files");
    const int counted = atoi(during.c_str() + strlen("Tamsel32 "));
    EXPECT_TRUE(counted >= 8000 && counted < 32000) << during;
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].utf8, Said("リストの上限 (32,000 個) でフォルダーの一覧を打ち切りました。\n",
                                        "The folders' listing stopped at the list's limit of 32,000 names.\n"));
}

TEST_F(IntakeTest, RowsOfferedDuringAWalkAreTheListsRows)
{
    // A walk replaces 1,000 names with 200: End pressed meanwhile goes to
    // a row of the new list.  Removing only rows past the list removes
    // nothing, which is no step to undo: Undo takes back the listing.
    Drop(LongNames(1000));
    Tree(0, 2, 100);
    PostMessageA(hWndMain, WM_KEYDOWN, VK_END, 1);   // handled in the walk's first look at the queue
    Drop({root});
    ASSERT_EQ(TotalNumberOfFiles, 200u);
    EXPECT_GE(nFocusRow, 0);
    EXPECT_LT(nFocusRow, 200);
    EXPECT_EQ(nSelectedRows, 1u);
    Select_Row(205, TRUE);
    Select_Row(nFocusRow, FALSE);
    SendMessageA(hWndMain, WM_COMMAND, IDM_REMOVE, 0);
    EXPECT_EQ(TotalNumberOfFiles, 200u);
    EXPECT_EQ(Undo_Change(), (UINT)IDS_CHANGE_LISTING);
}

// WM_CLOSE as the window's queue gives it out; past a hundred the close
// spins, and the hook ends the spin so that the test can go on.
int closes;
LRESULT CALLBACK CountCloses(int code, WPARAM wParam, LPARAM lParam)
{
    MSG *msg = (MSG *)lParam;
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_CLOSE && ++closes > 100)
        msg->message = WM_NULL;
    return CallNextHookEx(NULL, code, wParam, lParam);
}

bool aboutTimerRan;
void CALLBACK PressOk(HWND box, UINT, UINT_PTR id, DWORD)
{
    KillTimer(box, id);
    aboutTimerRan = true;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST_F(IntakeTest, CloseDuringAWalkWaitsForItsEndWithoutSpinning)
{
    // End Task while About is open over a walk: About goes on working (its
    // timer runs), and once the walk has ended the window closes.
    Tree(0, 20, 100);
    closes = 0;
    aboutTimerRan = false;
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, CountCloses, NULL, GetCurrentThreadId());
    PostMessageA(hWndMain, WM_COMMAND, IDM_ABOUT, 0);
    DialogAnswerer answer([&](HWND box) {
        PostMessageA(hWndMain, WM_CLOSE, 0, 0);
        SetTimer(box, 1, 100, PressOk);
    });
    Drop({root});
    Pump();
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(answer.seen.size(), 1u);   // About, and no report of the walk stopped
    EXPECT_TRUE(aboutTimerRan);
    EXPECT_LE(closes, 2);
    EXPECT_FALSE(IsWindow(hWndMain));
    EXPECT_TRUE(quitSeen);
}

TEST_F(IntakeTest, DropsPastesAndHandedNamesWaitForTheWalkAndAreAllTaken)
{
    // Seventy drops (more than ever waited before) and two Ctrl+V made
    // during a walk, and names another start hands over meanwhile: each is
    // taken after it, in turn.
    add_drops_on = 1;
    Tree(0, 2, 100);
    for (int i = 0; i < 70; i++)
        PostMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDropW({"C:\\w\\" + std::to_string(i)}), 0);
    SetClipboardText("C:\\no such folder\\x.txt");
    PostMessageA(hWndMain, WM_KEYDOWN, 'V', 1);
    PostMessageA(hWndMain, WM_KEYDOWN, 'V', 1);
    const std::string handed = ShortDir() + "handed.txt";
    ASSERT_TRUE(WriteFileBytes(handed, ""));
    std::vector<std::string> inWalk;
    seam::onFind = [&](int opened) {
        if (opened == 3) {   // after the first look at the queue
            EXPECT_TRUE(Hand_Over_Names(Wide("Tamsel32.exe \"" + handed + "\"").c_str()));
            inWalk = ReadList(hFNameTopList);
        }
    };
    DialogAnswerer answer(Press(IDOK));
    Ctrl(true);
    Drop({root});
    Ctrl(false);
    PumpUntil(271);
    const std::vector<std::string> listed = ReadList(hFNameTopList);
    ASSERT_EQ(listed.size(), 271u);
    EXPECT_EQ(listed[199], root + "\\s1\\f99");
    EXPECT_EQ(listed[200], "C:\\w\\0");
    EXPECT_EQ(listed[269], "C:\\w\\69");
    EXPECT_EQ(listed[270], handed);
    EXPECT_EQ(inWalk.size(), 100u);
    EXPECT_EQ(answer.seen.size(), 2u);   // each paste named nothing, and said so
    DeleteFileA(handed.c_str());
}

// Runs a Unix command from inside Wine, which starts Unix programs.
bool RunUnix(const std::wstring &program, const std::wstring &args)
{
    std::wstring cmd = program + L" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    // Wine starts a Unix program without a process or thread handle and
    // leaves these as they were: closing stack garbage would close some
    // handle of this process.
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW((L"Z:" + program).c_str(), &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return false;
    if (pi.hProcess) {
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
    }
    if (pi.hThread)
        CloseHandle(pi.hThread);
    return true;
}

std::wstring UnixName(const std::string &name)
{
    typedef char *(CDECL *UNIXNAME)(LPCWSTR);
    UNIXNAME unixName = (UNIXNAME)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    const char *path = unixName ? unixName(Wide(name).c_str()) : NULL;
    return path ? Wide(path) : L"";
}

TEST_F(IntakeTest, DriveRootIsWalkedIntoPlainNames)
{
    // Drive R: made for the test, as Wine makes a drive: a link among its
    // devices to a folder.
    const std::string folder = ShortDir() + "drive";
    CreateDirectoryA(folder.c_str(), NULL);
    CreateDirectoryA((folder + "\\sub").c_str(), NULL);
    WriteFileBytes(folder + "\\a.txt", "");
    WriteFileBytes(folder + "\\sub\\b.txt", "");
    std::wstring devices = UnixName("C:\\");   // ".../dosdevices/c:/"
    devices = devices.substr(0, devices.rfind(L'/', devices.size() - 2));
    ASSERT_TRUE(RunUnix(L"/bin/ln", L"-sfn " + UnixName(folder) + L" " + devices + L"/r:"));
    for (DWORD end = GetTickCount() + 3000; GetFileAttributesA("R:\\") == INVALID_FILE_ATTRIBUTES && GetTickCount() < end; )
        Sleep(50);   // Wine looks at its drives again after a second
    ASSERT_NE(GetFileAttributesA("R:\\"), INVALID_FILE_ATTRIBUTES);
    folders_too_on = 1;
    Drop({"R:\\"});
    RunUnix(L"/bin/rm", L"-f " + devices + L"/r:");
    for (DWORD end = GetTickCount() + 3000; GetFileAttributesA("R:\\") != INVALID_FILE_ATTRIBUTES && GetTickCount() < end; )
        Sleep(50);   // gone before the window closes
    EXPECT_EQ(ReadList(hFNameTopList), (std::vector<std::string>{"R:\\", "R:\\a.txt", "R:\\sub", "R:\\sub\\b.txt"}));
}

// A window of another program under the program's class name that answers
// the question as the program does, then hangs on the names.
LRESULT CALLBACK AnswersThenHangs(HWND h, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == RegisterWindowMessageA("Tamsel32 Names Handed Over"))
        return 0x54534C32;
    if (m == WM_COPYDATA) {
        Sleep(4000);
        return TRUE;
    }
    return DefWindowProcA(h, m, wp, lp);
}
DWORD WINAPI Impostor(void *ready)
{
    HWND w = CreateWindowExA(0, "Tamsel32", "Tamsel32", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)AnswersThenHangs);
    ReleaseSemaphore(ready, 1, NULL);
    MSG msg;
    for (DWORD end = GetTickCount() + 6000; GetTickCount() < end; Sleep(10))
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    DestroyWindow(w);
    return 0;
}

TEST_F(IntakeTest, HandOverKeepsOneDeadlineAndReadsOnlyTheBlockSent)
{
    // Three such windows hold a new start for 3 s in all, not a hand-over
    // each: it then opens its own window.
    HANDLE ready = CreateSemaphoreA(NULL, 0, 3, NULL), impostors[3];
    for (HANDLE &h : impostors)
        h = CreateThread(NULL, 0, Impostor, ready, 0, NULL);
    for (int i = 0; i < 3; i++)
        WaitForSingleObject(ready, 5000);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(Hand_Over_Names(L"Tamsel32.exe C:\\x.txt"));
    EXPECT_LT(GetTickCount() - start, 4000u);
    WaitForMultipleObjects(3, impostors, TRUE, 15000);
    for (HANDLE h : impostors)
        CloseHandle(h);
    CloseHandle(ready);

    // A block without its last NUL, other text right after it.
    const std::string name = ShortDir() + "handed.txt";
    ASSERT_TRUE(WriteFileBytes(name, ""));
    const std::wstring sent = L"-C:\\" + std::wstring(1, L'\0') + L"Tamsel32.exe " + Wide(name), after = L"tail";
    const std::wstring block = sent + after;
    COPYDATASTRUCT cds = {0x54534C32, (DWORD)(sent.size() * sizeof(wchar_t)), (void *)block.data()};
    EXPECT_EQ(SendMessageA(hWndMain, WM_COPYDATA, 0, (LPARAM)&cds), TRUE);
    PumpUntil(1);
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{name});
    DeleteFileA(name.c_str());
}

}  // namespace
