// A drop target in a process of its own, for the test of a drag out of the
// program: a window at the place given that takes a drop of files and
// writes the effects offered and then the names, UTF-8, a line each, to
// the file given, and ends; or ends after 30 s.  A target told to crash
// ends its process as the drag enters it.
// Usage: droptarget <file> <x> <y> [crash]
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char *out;
static bool crash;

struct Target : public IDropTarget {
    DWORD offered = 0;
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        *ppv = riid == IID_IUnknown || riid == IID_IDropTarget ? static_cast<IDropTarget *>(this) : NULL;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP DragEnter(IDataObject *, DWORD, POINTL, DWORD *effect) override
    {
        if (crash)
            ExitProcess(3);
        offered = *effect;
        *effect &= DROPEFFECT_COPY;
        return S_OK;
    }
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD *effect) override
    {
        *effect &= DROPEFFECT_COPY;
        return S_OK;
    }
    STDMETHODIMP DragLeave() override { return S_OK; }
    STDMETHODIMP Drop(IDataObject *data, DWORD, POINTL, DWORD *effect) override
    {
        FORMATETC format = {CF_HDROP, NULL, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium;
        FILE *f = fopen(out, "wb");
        if (f && SUCCEEDED(data->GetData(&format, &medium))) {
            fprintf(f, "effects %lu\n", offered);
            HDROP drop = (HDROP)medium.hGlobal;
            const UINT n = DragQueryFileW(drop, 0xFFFFFFFF, NULL, 0);
            for (UINT i = 0; i < n; i++) {
                WCHAR name[33000];
                char utf8[100000];
                DragQueryFileW(drop, i, name, 33000);
                WideCharToMultiByte(CP_UTF8, 0, name, -1, utf8, sizeof utf8, NULL, NULL);
                fprintf(f, "%s\n", utf8);
            }
            ReleaseStgMedium(&medium);
        }
        if (f)
            fclose(f);
        *effect = DROPEFFECT_COPY;
        PostQuitMessage(0);
        return S_OK;
    }
};

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    out = argv[1];
    crash = argc > 4 && !strcmp(argv[4], "crash");
    OleInitialize(NULL);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    wc.lpszClassName = "DropTargetTest";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, "DropTargetTest", "Drop here", WS_POPUP | WS_VISIBLE, atoi(argv[2]),
                                atoi(argv[3]), 200, 200, NULL, NULL, wc.hInstance, NULL);
    Target target;
    RegisterDragDrop(hwnd, &target);
    SetTimer(NULL, 0, 30000, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) && msg.message != WM_TIMER)
        DispatchMessageA(&msg);
    RevokeDragDrop(hwnd);
    OleUninitialize();
    return 0;
}
