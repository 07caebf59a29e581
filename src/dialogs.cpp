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

INT_PTR CALLBACK About(HWND hDlg, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;

    case WM_COMMAND:
        /* Only OK (or Enter) closes the box; Esc does not. */
        if (wParam == IDOK)
            EndDialog(hDlg, 1);
        return TRUE;
    }
    return FALSE;
}
