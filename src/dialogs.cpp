/* Tamsel32: the Copy Option and About dialogs.  Both are modal and keep no
   state of their own. */
#include <windows.h>

#include "TAMSEL.H"

/* The option behind each check box. */
static UINT *Option_Flag(int nBox)
{
    switch (nBox) {
    case IDC_NAME_ONLY:   return &name_only_on;
    case IDC_DIRECT_COPY: return &direct_copy_on;
    case IDC_QUOTES:      return &quotes_on;
    case IDC_CRLF:        return &crlf_on;
    case IDC_FILE_URL:    return &file_url_on;
    case IDC_ADD_DROPS:   return &add_drops_on;
    case IDC_LIST_CONTENTS: return &folder_contents_on;
    default:              return &folders_too_on;
    }
}

INT_PTR CALLBACK Option(HWND hDlg, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        for (int nBox = IDC_NAME_ONLY; nBox <= IDC_FOLDERS_TOO; nBox++)
            CheckDlgButton(hDlg, nBox, *Option_Flag(nBox));
        return TRUE;   /* focus on the first tab stop, OK */

    case WM_COMMAND:
        switch (wParam) {
        case IDOK:
            for (int nBox = IDC_NAME_ONLY; nBox <= IDC_FOLDERS_TOO; nBox++)
                *Option_Flag(nBox) = (UINT)SendDlgItemMessageA(hDlg, nBox, BM_GETCHECK, 0, 0);
            EndDialog(hDlg, 1);
            break;
        case IDCANCEL:   /* Cancel, Esc and the close box */
            EndDialog(hDlg, 1);
            break;
        }
        return TRUE;
    }
    return FALSE;
}

/* The icons of About, each loaded at the system's icon size where its
   box holds that, else at the box's: at 150 % and more the icon grows
   faster than the box's dialog units, and would cover the text below. */
static const struct { int nControl; LPCSTR lpszIcon; } aAboutIcons[] = {
    {IDC_ABOUT_ICON, "Tamsel32"},
    {IDC_ABOUT_MAKER, "Orvane"},
};

static void Fit_Icons(HWND hDlg)
{
    for (const auto &icon : aAboutIcons) {
        const HWND hControl = GetDlgItem(hDlg, icon.nControl);
        RECT rc;
        if (!hControl || !GetClientRect(hControl, &rc))
            continue;
        int nSize = GetSystemMetrics(SM_CXICON);
        if (nSize > rc.right)
            nSize = rc.right;
        if (nSize > rc.bottom)
            nSize = rc.bottom;
        /* Not shared: a shared icon comes back at the size first asked. */
        const HICON hIcon = (HICON)LoadImageA(hInst, icon.lpszIcon, IMAGE_ICON, nSize, nSize, 0);
        if (hIcon) {
            SendMessageA(hControl, STM_SETICON, (WPARAM)hIcon, 0);
            SetWindowLongPtrA(hControl, GWLP_USERDATA, (LONG_PTR)hIcon);   /* ours to destroy */
        }
    }
}

static void Destroy_Fitted_Icons(HWND hDlg)
{
    for (const auto &icon : aAboutIcons) {
        const HWND hControl = GetDlgItem(hDlg, icon.nControl);
        const HICON hIcon = hControl ? (HICON)GetWindowLongPtrA(hControl, GWLP_USERDATA) : NULL;
        if (hIcon)
            DestroyIcon(hIcon);
    }
}

INT_PTR CALLBACK About(HWND hDlg, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        Fit_Icons(hDlg);
        return TRUE;

    case WM_DESTROY:
        Destroy_Fitted_Icons(hDlg);
        return FALSE;

    case WM_COMMAND:
        /* Only OK (or Enter) closes the box; Esc does not. */
        if (wParam == IDOK)
            EndDialog(hDlg, 1);
        return TRUE;
    }
    return FALSE;
}
