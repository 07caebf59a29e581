/* Tamsel32: one window for every start.  A start with names (Send To, a
   drop on the icon, the command line) hands them to the Tamsel32 window
   already open on the desktop and ends; the open window takes them as its
   own command line, when no box of its holds it and no folder's walk
   runs.  A drop or a paste made during a walk waits the same way. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"

/* Asked with this message, a Tamsel32 window answers HAND_OVER_ANSWER: a
   window of another program under the same class name does not. */
static const char szHandOverMessage[] = "Tamsel32 Names Handed Over";
static const char szStartMutex[] = "Tamsel32 Start";
#define HAND_OVER_ANSWER 0x54534C32     /* also the mark of the names' WM_COPYDATA */
#define HAND_OVER_MS     3000           /* the whole hand-over, however many windows answer */
#define ASK_MS           1000           /* a window's answer: a Tamsel32 window gives it at once */
#define START_WAIT_MS    15000          /* a start that hangs holds no other for longer */

/* Starts one at a time: a start that finds no window opens one before the
   next start looks.  The mutex, held until End_Start; NULL where none. */
HANDLE Begin_Start(void)
{
    HANDLE hStart = CreateMutexA(NULL, FALSE, szStartMutex);
    if (hStart && WaitForSingleObject(hStart, START_WAIT_MS) == WAIT_FAILED) {
        CloseHandle(hStart);
        return NULL;
    }
    return hStart;
}

void End_Start(HANDLE hStart)
{
    if (!hStart)
        return;
    ReleaseMutex(hStart);
    CloseHandle(hStart);
}

static UINT Hand_Over_Message(void)
{
    static UINT uHandOver;   /* registered once: the same number in every program of the session */
    if (!uHandOver)
        uHandOver = RegisterWindowMessageA(szHandOverMessage);
    return uHandOver;
}

/* The registered message, which WndProc answers before its switch. */
BOOL Is_Hand_Over_Question(UINT message)
{
    return message == Hand_Over_Message() && message != 0;
}

LRESULT Hand_Over_Answer(void)
{
    return HAND_OVER_ANSWER;
}

typedef BOOL (WINAPI *ALLOWSETFOREGROUNDWINDOW)(DWORD dwProcessId);

/* In a new start: the names of lpszCmdLine, with the current folder they
   are relative to and whether Shift is held, to the open window.  TRUE
   when one took them. */
BOOL Hand_Over_Names(LPCWSTR lpszCmdLine)
{
    const UINT uHandOver = Hand_Over_Message();
    WCHAR szFolder[MAX_PATH];
    const DWORD nFolder = Current_Folder(MAX_PATH, szFolder);
    if (nFolder == 0 || nFolder >= MAX_PATH)
        return FALSE;
    /* Shift, then the folder and the line, each ended by a NUL. */
    const SIZE_T nLine = (SIZE_T)lstrlenW(lpszCmdLine);
    const SIZE_T nChars = 1 + nFolder + 1 + nLine + 1;
    HGLOBAL hData = GlobalAlloc(GMEM_MOVEABLE, nChars * sizeof(WCHAR));
    LPWSTR lpszData = hData ? (LPWSTR)GlobalLock(hData) : NULL;
    if (!lpszData) {
        if (hData)
            GlobalFree(hData);
        return FALSE;
    }
    lpszData[0] = GetAsyncKeyState(VK_SHIFT) < 0 ? 'S' : '-';
    memcpy(lpszData + 1, szFolder, ((SIZE_T)nFolder + 1) * sizeof(WCHAR));
    memcpy(lpszData + 2 + nFolder, lpszCmdLine, (nLine + 1) * sizeof(WCHAR));
    COPYDATASTRUCT cds;
    cds.dwData = HAND_OVER_ANSWER;
    cds.cbData = (DWORD)(nChars * sizeof(WCHAR));
    cds.lpData = lpszData;

    ALLOWSETFOREGROUNDWINDOW pAllow = (ALLOWSETFOREGROUNDWINDOW)(void *)
        GetProcAddress(GetModuleHandleA("user32.dll"), "AllowSetForegroundWindow");
    /* One deadline for every window asked: past it, this start opens a
       window of its own rather than keep the user waiting. */
    const DWORD dwStart = GetTickCount();
    BOOL bTaken = FALSE;
    for (HWND hWnd = NULL; !bTaken && (hWnd = FindWindowExA(NULL, hWnd, szAppName, NULL)) != NULL; ) {
        DWORD_PTR dwAnswer = 0;
        DWORD dwSpent = GetTickCount() - dwStart;
        if (dwSpent >= HAND_OVER_MS)
            break;
        const DWORD dwAsk = HAND_OVER_MS - dwSpent < ASK_MS ? HAND_OVER_MS - dwSpent : ASK_MS;
        if (!SendMessageTimeoutA(hWnd, uHandOver, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, dwAsk, &dwAnswer) ||
            dwAnswer != HAND_OVER_ANSWER)
            continue;
        dwSpent = GetTickCount() - dwStart;
        if (dwSpent >= HAND_OVER_MS)
            break;
        /* The open window may come to the front: this start was the
           user's last input. */
        DWORD dwProcess = 0;
        GetWindowThreadProcessId(hWnd, &dwProcess);
        if (pAllow)
            pAllow(dwProcess);
        bTaken = SendMessageTimeoutA(hWnd, WM_COPYDATA, 0, (LPARAM)&cds, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                     HAND_OVER_MS - dwSpent, &dwAnswer) && dwAnswer == TRUE;
    }
    GlobalUnlock(hData);
    GlobalFree(hData);
    return bTaken;
}

/* ---- What waits to be taken, in the order it came ---- */

#define WAIT_NAMES  0       /* names handed over: "S" or "-", the folder, NUL, the line, NUL */
#define WAIT_DROP   1       /* a drop block, finished once taken */
#define WAIT_COMMAND 2      /* Edit > Paste, Undo or Redo */

struct Waiting {
    int     nKind;
    HGLOBAL hData;
    BOOL    bShift;
    UINT    nCommand;           /* WAIT_COMMAND's */
};
/* What waits, from aWaiting[nFirstWaiting] to aWaiting[nWaiting - 1]: a
   block that grows as needed, so that nothing handed over is turned away. */
static Waiting *aWaiting;
static UINT nWaitingRoom, nFirstWaiting, nWaiting;

static BOOL Wait_For(HWND hWnd, int nKind, HGLOBAL hData, BOOL bShift, UINT nCommand = 0)
{
    if (nFirstWaiting == nWaiting)
        nFirstWaiting = nWaiting = 0;
    if (nWaiting == nWaitingRoom) {
        const UINT nRoom = nWaitingRoom ? 2 * nWaitingRoom : 16;
        Waiting *aGrown = aWaiting ? (Waiting *)GlobalReAlloc((HGLOBAL)aWaiting, nRoom * sizeof(Waiting), GMEM_MOVEABLE)
                                   : (Waiting *)GlobalAlloc(GMEM_FIXED, nRoom * sizeof(Waiting));
        if (!aGrown)
            return FALSE;
        aWaiting = aGrown;
        nWaitingRoom = nRoom;
    }
    aWaiting[nWaiting].nKind = nKind;
    aWaiting[nWaiting].hData = hData;
    aWaiting[nWaiting].nCommand = nCommand;
    aWaiting[nWaiting++].bShift = bShift;
    PostMessageA(hWnd, INTAKE_WAITING, 0, 0);
    return TRUE;
}

/* The window in front of the others, restored if it was minimised. */
static void Bring_To_Front(HWND hWnd)
{
    if (IsIconic(hWnd))
        ShowWindow(hWnd, SW_RESTORE);
    SetForegroundWindow(hWnd);
}

/* WM_COPYDATA: names another start hands over, read only inside the
   block it sent, kept until they can be taken.  TRUE when kept. */
LRESULT Handed_Names(HWND hWnd, const COPYDATASTRUCT *pData)
{
    if (!pData || pData->dwData != HAND_OVER_ANSWER || !pData->lpData || pData->cbData < 3 * sizeof(WCHAR))
        return FALSE;
    const WCHAR *p = (const WCHAR *)pData->lpData;
    const SIZE_T nChars = pData->cbData / sizeof(WCHAR);
    SIZE_T nFolderEnd = 1;
    while (nFolderEnd < nChars && p[nFolderEnd])
        nFolderEnd++;
    if (nFolderEnd >= nChars || nFolderEnd - 1 >= MAX_PATH)
        return FALSE;
    SIZE_T nLineEnd = nFolderEnd + 1;
    while (nLineEnd < nChars && p[nLineEnd])
        nLineEnd++;
    /* Kept with a terminator of its own, whether the sender's came. */
    HGLOBAL hNames = GlobalAlloc(GMEM_MOVEABLE, (nLineEnd + 1) * sizeof(WCHAR));
    LPWSTR lpszNames = hNames ? (LPWSTR)GlobalLock(hNames) : NULL;
    if (!lpszNames) {
        if (hNames)
            GlobalFree(hNames);
        return FALSE;
    }
    memcpy(lpszNames, p, nLineEnd * sizeof(WCHAR));
    lpszNames[nLineEnd] = 0;
    const BOOL bNames = Line_Has_Names(lpszNames + nFolderEnd + 1);
    GlobalUnlock(hNames);
    if (!bNames) {
        /* A start without names: this window to the front, and no more. */
        GlobalFree(hNames);
        Bring_To_Front(hWnd);
        return TRUE;
    }
    if (!Wait_For(hWnd, WAIT_NAMES, hNames, p[0] == 'S')) {
        GlobalFree(hNames);
        return FALSE;
    }
    return TRUE;
}

/* A drop or a paste during a folder's walk: kept (a drop unfinished)
   for after it.  FALSE when no walk runs; where memory runs out, the
   drop is finished unread and the user told so. */
BOOL Wait_Drop(HWND hWnd, HDROP hDrop)
{
    if (!bWalking)
        return FALSE;
    if (!Wait_For(hWnd, WAIT_DROP, (HGLOBAL)hDrop, GetKeyState(VK_SHIFT) < 0)) {
        DragFinish(hDrop);
        Mem_error_MesBox();
    }
    return TRUE;
}

static BOOL CALLBACK Find_Box(HWND hWnd, LPARAM lParam)
{
    char szClass[16];
    if (GetClassNameA(hWnd, szClass, sizeof szClass) && !lstrcmpA(szClass, "#32770")) {
        *(BOOL *)lParam = TRUE;
        return FALSE;
    }
    return TRUE;
}

/* A box of the program's is open: a message, a dialog, a file or font
   chooser.  Nothing is taken into the list meanwhile.  A box counts from
   its creation: a modal box is shown only once its loop first finds no
   message waiting, and names taken before that would change the list
   under it. */
static BOOL Box_Is_Open(void)
{
    BOOL bOpen = FALSE;
    EnumThreadWindows(GetCurrentThreadId(), Find_Box, (LPARAM)&bOpen);
    return bOpen;
}

/* Paste, Undo or Redo while a walk runs or a box is open, or while what
   came before them waits: kept for its turn.  FALSE when nothing holds it
   back. */
BOOL Wait_Command(HWND hWnd, UINT nCommand)
{
    if (!bWalking && nFirstWaiting == nWaiting && !Box_Is_Open())
        return FALSE;
    if (!Wait_For(hWnd, WAIT_COMMAND, 0, FALSE, nCommand))
        Mem_error_MesBox();
    return TRUE;
}

/* Names handed over, taken as the window's own command line would be,
   relative to the sender's folder; the window comes to the front. */
static void Take_Handed(HWND hWnd, HGLOBAL hNames, BOOL bShift)
{
    LPCWSTR lpszNames = (LPCWSTR)GlobalLock(hNames);
    if (!lpszNames)
        return;
    WCHAR szOwn[MAX_PATH];
    const DWORD nOwn = Current_Folder(MAX_PATH, szOwn);
    Set_Current_Folder(lpszNames + 1);
    Bring_To_Front(hWnd);
    Take_Named_Files(hWnd, lpszNames + 1 + lstrlenW(lpszNames + 1) + 1, (add_drops_on == 1) != bShift);
    if (nOwn > 0 && nOwn < MAX_PATH)
        Set_Current_Folder(szOwn);
    GlobalUnlock(hNames);
}

/* INTAKE_WAITING and WAITING_TIMER: what waits is taken, first come
   first, unless a box or a walk holds it back: then it is looked at again
   in a moment. */
void Take_Waiting(HWND hWnd)
{
    while (nFirstWaiting < nWaiting) {
        if (bWalking || Box_Is_Open()) {
            SetTimer(hWnd, WAITING_TIMER, 250, NULL);
            return;
        }
        const Waiting next = aWaiting[nFirstWaiting++];
        if (next.nKind == WAIT_NAMES) {
            Take_Handed(hWnd, next.hData, next.bShift);
            GlobalFree(next.hData);
        } else if (next.nKind == WAIT_DROP) {
            Show_Wait_Cursor();
            Show_Intake(hWnd, Take_Dropped((HDROP)next.hData, next.bShift), 0, 0);
        } else if (next.nCommand == IDM_PASTE) {
            Paste_Files(hWnd);
        } else if (next.nCommand == IDM_UNDO) {
            History_Undo(hWnd);
        } else {
            History_Redo(hWnd);
        }
    }
    KillTimer(hWnd, WAITING_TIMER);
    End_Waiting();
}

/* Lets go of what waits, the block that holds it with it: the queue has
   run dry, or the window closes. */
void End_Waiting(void)
{
    for (; nFirstWaiting < nWaiting; nFirstWaiting++) {
        if (aWaiting[nFirstWaiting].nKind == WAIT_NAMES)
            GlobalFree(aWaiting[nFirstWaiting].hData);
        else if (aWaiting[nFirstWaiting].nKind == WAIT_DROP)
            DragFinish((HDROP)aWaiting[nFirstWaiting].hData);
    }
    if (aWaiting)
        GlobalFree((HGLOBAL)aWaiting);
    aWaiting = NULL;
    nWaitingRoom = nFirstWaiting = nWaiting = 0;
}
