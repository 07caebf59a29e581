// Tamsel32 benchmark: the real window under the real system, fed drops of
// N realistic paths.  Reports figures only; it never fails on time.
//
// Usage: tamsel_bench [data-file]   (writes a table to stdout and, when
// asked, one line per figure to data-file for the chart)
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "TAMSEL.H"
#include "GSTRLIST.H"

namespace {

double Now()
{
    static LARGE_INTEGER freq;
    if (!freq.QuadPart)
        QueryPerformanceFrequency(&freq);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)freq.QuadPart;
}

SIZE_T PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.PeakWorkingSetSize;
}

// Paths of 60 to 120 bytes in code page 932, some with blanks and Japanese.
std::vector<std::wstring> MakeNames(int n, size_t *ansiBytes)
{
    static const wchar_t *folders[] = {
        L"C:\\Users\\tamsel\\Documents\\Projects\\alpha",
        L"D:\\Shared Files\\Team Reports\\2026",
        L"C:\\Users\\tamsel\\デスクトップ\\資料",
        L"E:\\Photos\\Holiday Trip\\Day 12",
    };
    std::vector<std::wstring> names;
    *ansiBytes = 0;
    for (int i = 0; i < n; i++) {
        wchar_t buff[200];
        const wchar_t *folder = folders[i % 4];
        int pad = 10 + (i * 37) % 40;
        swprintf(buff, 200, L"%ls\\%.*ls-%06d %ls.txt", folder, pad,
                 L"report_section_final_version_revised_copy_of", i, (i % 3) ? L"notes" : L"報告書");
        names.push_back(buff);
        *ansiBytes += (size_t)WideCharToMultiByte(CP_ACP, 0, buff, -1, NULL, 0, NULL, NULL) - 1;
    }
    return names;
}

// The shell's drop block, in its wide form.
HDROP MakeDrop(const std::vector<std::wstring> &names)
{
    size_t chars = 1;
    for (const auto &n : names)
        chars += n.size() + 1;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    DROPFILES *df = (DROPFILES *)GlobalLock(h);
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    wchar_t *p = (wchar_t *)((char *)df + sizeof(DROPFILES));
    for (const auto &n : names) {
        memcpy(p, n.c_str(), (n.size() + 1) * sizeof(wchar_t));
        p += n.size() + 1;
    }
    GlobalUnlock(h);
    return (HDROP)h;
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

double FullPaint()
{
    double t = Now();
    RedrawWindow(hWndMain, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return Now() - t;
}

// Movable handles this process can still get (allocated, counted, freed).
int FreeMovableHandles()
{
    std::vector<HGLOBAL> taken;
    for (;;) {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 1);
        if (!h)
            break;
        taken.push_back(h);
    }
    for (HGLOBAL h : taken)
        GlobalFree(h);
    return (int)taken.size();
}

// Presses OK in the out-of-memory box of a drop past the handle limit.
HHOOK okHook;
LRESULT CALLBACK PressOk(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE)
        PostMessageA((HWND)wParam, WM_COMMAND, IDOK, 0);
    return CallNextHookEx(okHook, code, wParam, lParam);
}

struct Row {
    const char *step;
    double ms[4];
};

}  // namespace

int main(int argc, char **argv)
{
    const int sizes[] = {1000, 3000, 10000, 30000};
    FILE *data = argc > 1 ? fopen(argv[1], "w") : NULL;

    HINSTANCE h = GetModuleHandleA(NULL);
    InitWindowclass(h);
    CreateMyWindow(h, SW_SHOWNORMAL);
    Pump();
    direct_copy_on = 0;   // the copy is timed on its own

    char dir[MAX_PATH];
    GetModuleFileNameA(NULL, dir, MAX_PATH);
    *strrchr(dir, '\\') = '\0';
    std::string saved = std::string(dir) + "\\bench-saved.txt";

    Row rows[] = {{"drop intake", {}}, {"copy", {}}, {"save", {}}, {"paint at top", {}},
                  {"paint at last", {}}, {"thumb drag to end", {}}};
    size_t bytes[4] = {}, peak[4] = {};
    const int freeHandles = FreeMovableHandles();
    const SIZE_T baseline = PeakWorkingSet();

    for (int k = 0; k < 4; k++) {
        const int n = sizes[k];
        std::vector<std::wstring> names = MakeNames(n, &bytes[k]);
        HDROP hDrop = MakeDrop(names);

        double t = Now();
        SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)hDrop, 0);
        rows[0].ms[k] = Now() - t;
        Pump();
        if (TotalNumberOfFiles != (UINT)n)
            printf("warning: %d dropped, %u stored\n", n, TotalNumberOfFiles);

        t = Now();
        Copy_Clipboard(hWndMain);
        rows[1].ms[k] = Now() - t;

        DeleteFileA(saved.c_str());
        lstrcpyA(szFName, saved.c_str());
        t = Now();
        NameSave(hWndMain);
        rows[2].ms[k] = Now() - t;

        First_Scroll_Initial(hWndMain, (int)TotalNumberOfFiles, maxfile_name_length);
        rows[3].ms[k] = FullPaint();
        SendMessageA(hWndMain, WM_VSCROLL, SB_BOTTOM, 0);
        Pump();
        rows[4].ms[k] = FullPaint();

        SendMessageA(hWndMain, WM_VSCROLL, SB_TOP, 0);
        Pump();
        t = Now();
        const int steps = 20;
        for (int s = 1; s <= steps; s++)
            SendMessageA(hWndMain, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, nVscrollMax * s / steps), 0);
        SendMessageA(hWndMain, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, nVscrollMax), 0);
        rows[5].ms[k] = Now() - t;

        peak[k] = PeakWorkingSet() - baseline;
    }
    DeleteFileA(saved.c_str());

    printf("%-18s", "names");
    for (int n : sizes)
        printf(" %10d %8s %6s", n, "ns/name", "growth");
    printf("\n");
    for (const Row &r : rows) {
        printf("%-18s", r.step);
        for (int k = 0; k < 4; k++) {
            if (k)
                printf(" %10.2f %8.0f %6.2f", r.ms[k], r.ms[k] * 1e6 / sizes[k],
                       r.ms[k - 1] > 0 ? r.ms[k] / r.ms[k - 1] : 0.0);
            else
                printf(" %10.2f %8.0f %6s", r.ms[k], r.ms[k] * 1e6 / sizes[k], "-");
            if (data)
                fprintf(data, "%d %.3f\n", sizes[k], r.ms[k]);
        }
        printf("   ms\n");
        if (data)
            fprintf(data, "\n\n");   // one gnuplot data block per step
    }
    printf("%-18s", "peak WS growth");
    for (int k = 0; k < 4; k++)
        printf(" %10.1f %8s %6s", peak[k] / 1048576.0, "MB", "");
    printf("\n%-18s", "bytes of names");
    for (int k = 0; k < 4; k++)
        printf(" %10.1f %8s %6s", bytes[k] / 1048576.0, "MB", "");
    printf("\n");
    printf("time(30000)/time(3000):");
    for (const Row &r : rows)
        printf("  %s %.1f", r.step, r.ms[3] / r.ms[1]);
    printf("\n");
    if (data)
        fclose(data);

    // The handle limit: a drop of 40,000 names.
    size_t ignored;
    okHook = SetWindowsHookExA(WH_CBT, PressOk, NULL, GetCurrentThreadId());
    SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDrop(MakeNames(40000, &ignored)), 0);
    Pump();
    const UINT stored = TotalNumberOfFiles;
    const int copied = Copy_Clipboard(hWndMain);
    UnhookWindowsHookEx(okHook);
    printf("handle limit: %d movable handles free before the first drop (room for %d names);\n"
           "  a drop of 40000 names keeps %u, copy %s, %d handles left over\n",
           freeHandles, freeHandles / 2, stored, copied ? "works" : "FAILS", FreeMovableHandles());
    SendMessageA(hWndMain, WM_CLOSE, 0, 0);
    return 0;
}
