// Tamsel32 benchmark: the real window under the real system, fed drops of
// N realistic paths.  Reports figures only; it never fails on time.
//
// Usage: tamsel_bench [data-file]   (writes a table to stdout and, when
// asked, one line per figure to data-file for the chart)
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>
#include <stdio.h>

#include <algorithm>
#include <functional>
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

#define STEPS 6
#define RUNS  5     /* runs per size; the median is reported, with the spread */

// The least the name list's design must do with the same names: two
// movable blocks a name (its node and its text), each allocated, locked,
// written and unlocked, the node before it locked again for its link;
// then one walk that locks both blocks of each name and copies the text
// into one block, and one conversion of that block to the ANSI code page.
// One run, in ms.
double Least(const std::vector<std::wstring> &names)
{
    double ms;
    std::vector<HGLOBAL> nodes(names.size()), texts(names.size());
    {
        const double t = Now();
        SIZE_T nChars = 0;
        for (size_t i = 0; i < names.size(); i++) {
            const SIZE_T nBytes = (names[i].size() + 1) * sizeof(wchar_t);
            texts[i] = GlobalAlloc(GMEM_MOVEABLE, nBytes);
            memcpy(GlobalLock(texts[i]), names[i].c_str(), nBytes);
            GlobalUnlock(texts[i]);
            nodes[i] = GlobalAlloc(GMEM_MOVEABLE, sizeof(NameList));
            NameList *node = (NameList *)GlobalLock(nodes[i]);
            node->hback = i ? nodes[i - 1] : 0;
            node->hfilename = texts[i];
            node->hnext = 0;
            GlobalUnlock(nodes[i]);
            if (i) {
                ((NameList *)GlobalLock(nodes[i - 1]))->hnext = nodes[i];
                GlobalUnlock(nodes[i - 1]);
            }
            nChars += names[i].size() + 1;
        }
        HGLOBAL hText = GlobalAlloc(GMEM_MOVEABLE, nChars * sizeof(wchar_t));
        wchar_t *text = (wchar_t *)GlobalLock(hText), *at = text;
        for (HGLOBAL h = nodes.empty() ? 0 : nodes[0]; h; ) {
            const NameList *node = (const NameList *)GlobalLock(h);
            const wchar_t *name = (const wchar_t *)GlobalLock(node->hfilename);
            const size_t n = wcslen(name);
            memcpy(at, name, n * sizeof(wchar_t));
            at += n;
            *at++ = '\n';
            GlobalUnlock(node->hfilename);
            const HGLOBAL hNext = node->hnext;
            GlobalUnlock(h);
            h = hNext;
        }
        const int nWide = (int)(at - text);
        HGLOBAL hAnsi = GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)nWide * 3 + 1);   /* as large as any code page needs */
        WideCharToMultiByte(CP_ACP, 0, text, nWide, (char *)GlobalLock(hAnsi), nWide * 3, NULL, NULL);
        GlobalUnlock(hAnsi);
        ms = Now() - t;
        GlobalFree(hAnsi);
        GlobalUnlock(hText);
        GlobalFree(hText);
        for (size_t i = 0; i < names.size(); i++) {
            GlobalFree(texts[i]);
            GlobalFree(nodes[i]);
        }
    }
    return ms;
}

// The median of RUNS runs of a step, in ms.
double Median(const std::function<void()> &step)
{
    double runs[RUNS];
    for (double &ms : runs) {
        const double t = Now();
        step();
        ms = Now() - t;
    }
    std::sort(runs, runs + RUNS);
    return runs[RUNS / 2];
}

// Two steps taken in turn, 11 times each, so that a busy machine's drift
// falls on both alike: the median of each, in ms.
void Side_By_Side(const std::function<void()> &a, const std::function<void()> &b, double *pa, double *pb)
{
    double runsA[11], runsB[11];
    for (int r = 0; r < 11; r++) {
        double t = Now();
        a();
        runsA[r] = Now() - t;
        t = Now();
        b();
        runsB[r] = Now() - t;
    }
    std::sort(runsA, runsA + 11);
    std::sort(runsB, runsB + 11);
    *pa = runsA[5];
    *pb = runsB[5];
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

// Presses OK in the report of a drop past the list's limit.
HHOOK okHook;
LRESULT CALLBACK PressOk(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE)
        PostMessageA((HWND)wParam, WM_COMMAND, IDOK, 0);
    return CallNextHookEx(okHook, code, wParam, lParam);
}

// Types a pattern into Select Matching, timing the count it shows, and
// presses Select.
HHOOK matchHook;
double *matchCount, selectPressed;
LRESULT CALLBACK TypePattern(int code, WPARAM wParam, LPARAM lParam)
{
    const HWND box = (HWND)wParam;
    if (code == HCBT_ACTIVATE && GetDlgItem(box, IDC_MATCH_PATTERN)) {
        const double t = Now();
        SetDlgItemTextW(box, IDC_MATCH_PATTERN, L"*.txt;*5*");
        *matchCount = Now() - t;
        selectPressed = Now();
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(matchHook, code, wParam, lParam);
}

const char *const stepNames[STEPS] = {"drop intake", "copy", "save", "paint at top", "paint at last",
                                      "thumb drag to end"};

// One run of every step on a drop of these names; milliseconds in ms.
void MeasureOnce(const std::vector<std::wstring> &names, const std::string &saved, double ms[STEPS])
{
    double t = Now();
    SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDrop(names), 0);
    ms[0] = Now() - t;
    Pump();
    if (TotalNumberOfFiles != names.size())
        printf("warning: %u dropped, %u stored\n", (unsigned)names.size(), TotalNumberOfFiles);

    t = Now();
    Copy_Clipboard(hWndMain);
    ms[1] = Now() - t;

    DeleteFileA(saved.c_str());
    MultiByteToWideChar(CP_ACP, 0, saved.c_str(), -1, szFName, 256);
    t = Now();
    NameSave(hWndMain);
    ms[2] = Now() - t;

    First_Scroll_Initial(hWndMain, (int)TotalNumberOfFiles, maxfile_name_length);
    ms[3] = FullPaint();
    SendMessageA(hWndMain, WM_VSCROLL, SB_BOTTOM, 0);
    Pump();
    ms[4] = FullPaint();

    SendMessageA(hWndMain, WM_VSCROLL, SB_TOP, 0);
    Pump();
    t = Now();
    const int steps = 20;
    for (int s = 1; s <= steps; s++)
        SendMessageA(hWndMain, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, nVscrollMax * s / steps), 0);
    SendMessageA(hWndMain, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, nVscrollMax), 0);
    ms[5] = Now() - t;
}

// A start of the built program with 1,000 names on its command line, in
// the folder that holds them: the ms until a window's caption counts them,
// that of the new start's own window (open NULL), or that of the window
// given, which is this program's own and is pumped meanwhile.
double Time_Start(const std::string &folder, HWND open)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(NULL, exe, MAX_PATH);
    strcpy(strrchr(exe, '\\'), "\\..\\Tamsel32.exe");
    std::string line = "Tamsel32.exe";
    for (int i = 0; i < 1000; i++)
        line += " n" + std::to_string(1000 + i) + ".txt";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    const double t = Now();
    if (!CreateProcessA(exe, &line[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &si, &pi))
        return -1;
    char caption[64] = "";
    HWND counted = NULL;
    while (Now() - t < 60000 && !counted) {
        if (open) {
            Pump();
            GetWindowTextA(open, caption, sizeof caption);
            counted = strcmp(caption, "Tamsel32 1000-Files") ? NULL : open;
        } else {
            counted = FindWindowA("Tamsel32", "Tamsel32 1000-Files");
        }
        Sleep(1);
    }
    const double ms = Now() - t;
    if (!open && counted)
        PostMessageA(counted, WM_CLOSE, 0, 0);
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return counted ? ms : -1;
}

}  // namespace

int main(int argc, char **argv)
{
    const int sizes[] = {1000, 3000, 10000, 30000};
    FILE *data = argc > 1 ? fopen(argv[1], "w") : NULL;

    // One window for every start: 1,000 names on the command line of a
    // fresh window, and handed over by a second start to the open one.
    char names[MAX_PATH];
    GetModuleFileNameA(NULL, names, MAX_PATH);
    strcpy(strrchr(names, '\\'), "\\bench-names");
    CreateDirectoryA(names, NULL);
    for (int i = 0; i < 1000; i++)
        CloseHandle(CreateFileA((std::string(names) + "\\n" + std::to_string(1000 + i) + ".txt").c_str(),
                                GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, 0, NULL));
    double fresh[3], handed[3];
    for (double &ms : fresh)
        ms = Time_Start(names, NULL);

    HINSTANCE h = GetModuleHandleA(NULL);
    InitWindowclass(h);
    CreateMyWindow(h, SW_SHOWNORMAL);
    Pump();
    for (double &ms : handed) {
        SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDrop({L"C:\\x"}), 0);
        Pump();
        ms = Time_Start(names, hWndMain);
    }
    SendMessageA(hWndMain, WM_COMMAND, IDM_SELECTALL, 0);   // an empty list for what follows
    SendMessageA(hWndMain, WM_COMMAND, IDM_REMOVE, 0);
    End_Edits();
    std::sort(fresh, fresh + 3);
    std::sort(handed, handed + 3);
    printf("1000 names on a command line, medians of 3 starts, from the start to the caption:\n"
           "  a fresh window %.0f ms; a second start handing them to the open window %.0f ms: %.2fx\n",
           fresh[1], handed[1], handed[1] / fresh[1]);
    direct_copy_on = 0;   // the copy is timed on its own

    char dir[MAX_PATH];
    GetModuleFileNameA(NULL, dir, MAX_PATH);
    *strrchr(dir, '\\') = '\0';
    std::string saved = std::string(dir) + "\\bench-saved.txt";

    // median, least and most of RUNS runs, per step and size
    double med[STEPS][4], lo[STEPS][4], hi[STEPS][4];
    size_t bytes[4] = {}, peak[4] = {};
    double leastMs[4], ratio[4];
    const int freeHandles = FreeMovableHandles();
    const SIZE_T baseline = PeakWorkingSet();

    // A first drop pays for loading and first use: measured, then dropped.
    double ms[STEPS];
    size_t ignored;
    MeasureOnce(MakeNames(sizes[0], &ignored), saved, ms);

    for (int k = 0; k < 4; k++) {
        const std::vector<std::wstring> names = MakeNames(sizes[k], &bytes[k]);
        double runs[STEPS][RUNS], least[RUNS], ratios[RUNS];
        for (int r = 0; r < RUNS; r++) {
            MeasureOnce(names, saved, ms);
            for (int s = 0; s < STEPS; s++)
                runs[s][r] = ms[s];
            // The least right after, so that a busy machine's drift falls
            // on both alike.  The list lets its handles go first (the least
            // needs as many again), and comes back untimed after: each
            // timed drop replaces a list, as a user's next drop does.
            End_Edits();
            DeleteAll_StringList(hFNameTopList);
            hFNameTopList = 0;
            TotalNumberOfFiles = 0;
            least[r] = Least(names);
            ratios[r] = (ms[0] + ms[1]) / least[r];
            SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDrop(names), 0);
            Pump();
        }
        std::sort(least, least + RUNS);
        std::sort(ratios, ratios + RUNS);
        leastMs[k] = least[RUNS / 2];
        ratio[k] = ratios[RUNS / 2];
        for (int s = 0; s < STEPS; s++) {
            std::sort(runs[s], runs[s] + RUNS);
            med[s][k] = runs[s][RUNS / 2];
            lo[s][k] = runs[s][0];
            hi[s][k] = runs[s][RUNS - 1];
        }
        peak[k] = PeakWorkingSet() - baseline;
    }
    DeleteFileA(saved.c_str());

    printf("median of %d runs after a warm-up drop, in ms, with the least and the most\n", RUNS);
    printf("%-18s", "names");
    for (int n : sizes)
        printf(" %10d %15s %7s", n, "spread", "ns/name");
    printf("\n");
    for (int s = 0; s < STEPS; s++) {
        printf("%-18s", stepNames[s]);
        for (int k = 0; k < 4; k++) {
            char spread[32];
            snprintf(spread, sizeof spread, "%.2f-%.2f", lo[s][k], hi[s][k]);
            printf(" %10.2f %15s %7.0f", med[s][k], spread, med[s][k] * 1e6 / sizes[k]);
            if (data)
                fprintf(data, "%d %.3f %.3f %.3f\n", sizes[k], med[s][k], lo[s][k], hi[s][k]);
        }
        printf("\n");
        if (data)
            fprintf(data, "\n\n");   // one gnuplot data block per step
    }
    printf("%-18s", "peak WS growth");
    for (int k = 0; k < 4; k++)
        printf(" %10.1f %15s %7s", peak[k] / 1048576.0, "MB", "");
    printf("\n%-18s", "bytes of names");
    for (int k = 0; k < 4; k++)
        printf(" %10.1f %15s %7s", bytes[k] / 1048576.0, "MB", "");
    printf("\n");
    printf("%-18s", "design's least");
    for (int k = 0; k < 4; k++)
        printf(" %10.2f %15s %7s", leastMs[k], "ms", "");
    printf("\n%-18s", "(drop+copy)/least");
    for (int k = 0; k < 4; k++)
        printf(" %10.1f %15s %7s", ratio[k], "x", "");
    printf("\n");
    printf("time(30000)/time(3000):");
    for (int s = 0; s < STEPS; s++)
        printf("  %s %.1f", stepNames[s], med[s][3] / med[s][1]);
    printf("\n");
    if (data)
        fclose(data);

    // Adding stays linear: a drop of 30,000 names, each already listed in
    // another case of letters, added to a list of those 30,000.
    {
        const std::vector<std::wstring> names = MakeNames(30000, &ignored);
        std::vector<std::wstring> upper = names;
        for (std::wstring &n : upper)
            CharUpperW(&n[0]);
        SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDrop(names), 0);
        Pump();
        add_drops_on = 1;
        const double t = Now();
        SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDrop(upper), 0);
        const double ms = Now() - t;
        add_drops_on = 0;
        Pump();
        printf("adding 30000 names, all listed already, to a list of 30000: %.1f ms, %u names after\n", ms,
               TotalNumberOfFiles);
    }

    // Copy As on 30,000 names, each form beside the default copy; the table
    // beside a bare loop of GetFileAttributesExW over the same names; the
    // formats dialog's preview on that list.
    {
        const std::vector<std::wstring> names = MakeNames(30000, &ignored);
        SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDrop(names), 0);
        Pump();
        const double copy = Median([] { Copy_Clipboard(hWndMain); });
        const double bare = Median([&] {
            WIN32_FILE_ATTRIBUTE_DATA data;
            for (const std::wstring &n : names)
                GetFileAttributesExW(n.c_str(), GetFileExInfoStandard, &data);
        });
        printf("Copy As, 30000 names, medians of %d runs: the default copy %.1f ms; a bare GetFileAttributesExW loop %.1f ms\n",
               RUNS, copy, bare);
        // Each text's length beside the default copy's: handing a text to
        // the system costs by its length.
        SIZE_T copyChars = 0;
        GlobalFree(Copy_Text_Block(FALSE, &copyChars));
        for (int i = 0; i < COPYAS_BUILTINS; i++) {
            Copy_Format format;
            Builtin_Format(i, &format);
            SIZE_T chars = 0;
            UINT noForm;
            GlobalFree(Format_Text(&format, FALSE, &chars, &noForm));
            if (i == 8) {
                const double ms = Median([i] { Copy_As(hWndMain, i); });
                printf("  %-24s %7.1f ms: the copy plus %.2fx the bare loop\n", "Table For A Spreadsheet", ms,
                       (ms - copy) / bare);
                continue;
            }
            double beside, ms;
            Side_By_Side([] { Copy_Clipboard(hWndMain); }, [i] { Copy_As(hWndMain, i); }, &beside, &ms);
            printf("  %-24ls %7.1f ms: %.2fx the default copy taken in turn with it (%.1f ms), its text %.2fx as long\n",
                   format.szName, ms, ms / beside, beside, (double)chars / (double)copyChars);
        }
        Copy_Format format;
        Builtin_Format(2, &format);
        static WCHAR preview[4096];
        const double ms = Median([&] { Format_Preview(&format, preview, 4096); });
        printf("  the formats dialog's preview of a format: %.2f ms (a frame: 16.7 ms)\n", ms);
    }

    // The display's scale: a paint of a full window of names at 192 DPI,
    // twice as wide and high as at 96 with a font twice as high, beside
    // the same paint at 96; and a drag of 30,000 selected names, its data
    // made, beside the default copy of those names.
    {
        const std::vector<std::wstring> names = MakeNames(30000, &ignored);
        SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDrop(names), 0);
        Pump();
        double paint[2];
        for (int k = 0; k < 2; k++) {
            const int dpi = 96 * (k + 1);
            Font_Dpi_Changed(hWndMain, dpi);
            SetWindowPos(hWndMain, HWND_TOP, 0, 0, 600 * dpi / 96, 480 * dpi / 96, SWP_NOMOVE);
            SetupScroll(hWndMain);
            Pump();
            paint[k] = Median([] { FullPaint(); });
        }
        Font_Dpi_Changed(hWndMain, 96);
        SetWindowPos(hWndMain, HWND_TOP, 0, 0, 600, 480, SWP_NOMOVE);
        Pump();
        printf("a full window of names painted at 96 DPI %.2f ms, at 192 DPI %.2f ms: %.2fx\n", paint[0], paint[1],
               paint[1] / paint[0]);
        SendMessageA(hWndMain, WM_COMMAND, IDM_SELECTALL, 0);
        const double copy = Median([] { Copy_Clipboard(hWndMain); });
        const double drag = Median([] { Make_Drag_Data()->Release(); });
        printf("a drag of 30000 selected names: its data made in %.1f ms; the default copy %.1f ms: %.2fx\n", drag,
               copy, drag / copy);
    }

    // Editing a list of 30,000 names, each against the drop that made it;
    // Undo and Redo, the history's cost, and the status bar's.
    {
        const std::vector<std::wstring> names = MakeNames(30000, &ignored);
        const int PAIRS = 3 * RUNS;   // the bar's figure is the smallest: more runs
        double drop[PAIRS], dropNoBar[PAIRS], aside[RUNS], taken[RUNS], takenImage[RUNS], freed[RUNS], undoDrop[RUNS], redoDrop[RUNS], removal[RUNS], undo[RUNS],
            sort[RUNS], click[RUNS], count[RUNS], select[RUNS];
        auto Time = [](double t0) { return Now() - t0; };
        auto Command = [](UINT id) { SendMessageA(hWndMain, WM_COMMAND, id, 0); };
        auto Drop = [&] { SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDrop(names), 0); };
        auto Empty = [&] {   // an empty window, its scroll bars hidden, as before a first drop
            Command(IDM_SELECTALL);
            Command(IDM_REMOVE);
            History_Clear();
            Pump();
        };
        auto Afresh = [&] {   // the list just taken away (0 names), the window emptied, a new drop
            TotalNumberOfFiles = 0;
            Empty();
            Drop();
            Pump();
        };
        for (int r = 0; r < RUNS; r++) {
            double t;
            for (int p = 3 * r; p < 3 * r + 3; p++)
                for (double *bar : {dropNoBar, drop}) {   // the bar off, then on
                    Command(IDM_STATUSBAR);
                    Empty();
                    const HDROP hDrop = MakeDrop(names);
                    t = Now();   // the drop that makes the list
                    SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)hDrop, 0);
                    bar[p] = Time(t);
                    Pump();
                }
            t = Now();   // set aside and let go, as a drop that replaces it does
            History_Take(IDS_CHANGE_DROP);
            takenImage[r] = Time(t);
            Afresh();
            t = Now();   // the list set aside, as Remove and Sort do first
            History_Note(IDS_CHANGE_DROP);
            aside[r] = Time(t);
            t = Now();   // the same, with no image: as after an edit
            History_Take(IDS_CHANGE_DROP);
            taken[r] = Time(t);
            Afresh();
            t = Now();   // let go alone, as a drop would without the history
            DeleteAll_StringList(hFNameTopList);
            freed[r] = Time(t);
            hFNameTopList = 0;
            Afresh();
            t = Now();
            Command(IDM_UNDO);
            undoDrop[r] = Time(t);
            Pump();
            t = Now();
            Command(IDM_REDO);
            redoDrop[r] = Time(t);
            Pump();
            t = Now();
            Command(IDM_SELECTALL);
            Command(IDM_REMOVE);
            removal[r] = Time(t);
            Pump();
            t = Now();
            Command(IDM_UNDO);
            undo[r] = Time(t);
            Pump();
            t = Now();
            Command(IDM_SORT);
            sort[r] = Time(t);
            Pump();
            SendMessageA(hWndMain, WM_VSCROLL, SB_BOTTOM, 0);
            UpdateWindow(hWndMain);
            t = Now();   // a click on a row near the list's end, painted
            SendMessageA(hWndMain, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, yChar * (r % 3) + 1));
            SendMessageA(hWndMain, WM_LBUTTONUP, 0, 0);
            UpdateWindow(hWndMain);
            click[r] = Time(t);
            // Select Matching: the count as a pattern is typed, and Select.
            matchCount = &count[r];
            matchHook = SetWindowsHookExA(WH_CBT, TypePattern, NULL, GetCurrentThreadId());
            Command(IDM_SELECTMATCHING);
            UpdateWindow(hWndMain);
            select[r] = Now() - selectPressed;
            UnhookWindowsHookEx(matchHook);
            Pump();
        }
        std::sort(drop, drop + PAIRS);
        std::sort(dropNoBar, dropNoBar + PAIRS);
        for (double *runs : {aside, taken, takenImage, freed, undoDrop, redoDrop, removal, undo, sort, click, count, select})
            std::sort(runs, runs + RUNS);
        const double d = drop[PAIRS / 2];
        printf("editing 30000 names, medians of %d runs: the drop into the empty window %.1f ms;\n"
               "  with the status bar %.2fx the drop without it (%.1f ms; both medians of %d drops);\n"
               "  the old list set aside and let go, as a drop replacing it does, %.1f ms (%.1f ms walked,\n"
               "    with no image of the list, as after an edit); let go alone %.1f ms: the history adds %.1f ms\n"
               "    to such a drop (%.2fx the drop; %.1f ms walked); set aside alone (Remove, Sort) %.1f ms;\n"
               "  Undo of the drop %.1f ms (%.2fx), Redo %.1f ms (%.2fx);\n"
               "  Ctrl+A and Delete %.1f ms (%.2fx); its Undo %.1f ms (%.2fx); Sort By Name %.1f ms (%.2fx);\n"
               "  a click at the list's end, painted %.2f ms; the selection's state %u bytes;\n"
               "  Select Matching \"*.txt;*5*\": the count as it is typed %.1f ms, Select %.1f ms\n",
               RUNS, d, d / dropNoBar[PAIRS / 2], dropNoBar[PAIRS / 2], PAIRS, takenImage[RUNS / 2], taken[RUNS / 2],
               freed[RUNS / 2], takenImage[RUNS / 2] - freed[RUNS / 2], (takenImage[RUNS / 2] - freed[RUNS / 2]) / d,
               taken[RUNS / 2] - freed[RUNS / 2], aside[RUNS / 2],
               undoDrop[RUNS / 2], undoDrop[RUNS / 2] / d, redoDrop[RUNS / 2], redoDrop[RUNS / 2] / d,
               removal[RUNS / 2], removal[RUNS / 2] / d, undo[RUNS / 2], undo[RUNS / 2] / d, sort[RUNS / 2],
               sort[RUNS / 2] / d, click[RUNS / 2], (unsigned)((MAX_LIST_NAMES + 7) / 8), count[RUNS / 2],
               select[RUNS / 2]);

        // Deep history: twenty drops of 30,000 names, each setting the
        // last aside, hold no handle a name.
        Empty();
        const int before = FreeMovableHandles();
        for (int i = 0; i < 20; i++) {
            Drop();
            Pump();
        }
        SIZE_T kept = 0;
        const UINT steps = History_Steps(&kept);
        printf("  after 20 drops of 30000 names: %u steps kept (%.1f MB); movable handles free %d, "
               "with the empty list %d: %d more taken for the 30000 names shown\n",
               steps, kept / 1048576.0, FreeMovableHandles(), before, before - FreeMovableHandles());
        Empty();
    }

    // A folder's contents: a tree of 30,000 files in 300 folders listed in
    // the list, beside a bare walk of the same tree.
    {
        char base[MAX_PATH];
        GetModuleFileNameA(NULL, base, MAX_PATH);
        *strrchr(base, '\\') = '\0';
        const std::string root = std::string(base) + "\\bench-tree";
        CreateDirectoryA(root.c_str(), NULL);
        for (int d = 0; d < 300; d++) {
            const std::string dir = root + "\\folder " + std::to_string(d / 30) + "\\part " + std::to_string(d);
            CreateDirectoryA((root + "\\folder " + std::to_string(d / 30)).c_str(), NULL);
            CreateDirectoryA(dir.c_str(), NULL);
            for (int f = 0; f < 100; f++) {
                const std::string file = dir + "\\report " + std::to_string(f) + ".txt";
                if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES)
                    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL));
            }
        }
        struct Bare {
            static int Walk(const std::wstring &dir)
            {
                WIN32_FIND_DATAW fd;
                HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
                int n = 0;
                if (h == INVALID_HANDLE_VALUE)
                    return 0;
                do {
                    if (fd.cFileName[0] == '.')
                        continue;
                    n += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Walk(dir + L"\\" + fd.cFileName) : 1;
                } while (FindNextFileW(h, &fd));
                FindClose(h);
                return n;
            }
        };
        std::wstring wroot(root.begin(), root.end());
        double bare[RUNS], listed[RUNS];
        int nBare = 0;
        folder_contents_on = 1;
        for (int r = 0; r < RUNS; r++) {
            double t = Now();
            nBare = Bare::Walk(L"\\\\?\\" + wroot);
            bare[r] = Now() - t;
            t = Now();
            SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDrop({wroot}), 0);
            listed[r] = Now() - t;
            Pump();
        }
        folder_contents_on = 0;
        std::sort(bare, bare + RUNS);
        std::sort(listed, listed + RUNS);
        printf("a folder's contents, medians of %d runs: %u files listed from 300 folders in %.1f ms;\n"
               "  a bare FindFirstFileW/FindNextFileW walk of the same %d files %.1f ms: %.2fx\n",
               RUNS, TotalNumberOfFiles, listed[RUNS / 2], nBare, bare[RUNS / 2], listed[RUNS / 2] / bare[RUNS / 2]);
    }

    // The handle limit: a drop of 40,000 names.
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
