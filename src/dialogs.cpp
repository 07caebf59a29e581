/* Tamsel32: the Copy Option and About dialogs.  Both are modal and keep no
   state of their own. */
#include <windows.h>

#include "TAMSEL.H"

INT_PTR CALLBACK Option(HWND hDlg, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        CheckDlgButton(hDlg, IDC_NAME_ONLY, name_only_on);
        CheckDlgButton(hDlg, IDC_DIRECT_COPY, direct_copy_on);
        return TRUE;   /* focus on the first tab stop, OK */

    case WM_COMMAND:
        switch (wParam) {
        case IDOK:
            name_only_on = (UINT)SendDlgItemMessageA(hDlg, IDC_NAME_ONLY, BM_GETCHECK, 0, 0);
            direct_copy_on = (UINT)SendDlgItemMessageA(hDlg, IDC_DIRECT_COPY, BM_GETCHECK, 0, 0);
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
