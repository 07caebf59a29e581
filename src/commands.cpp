/* Tamsel32: the menu commands, and the menu's texts and gray states. */
#include <windows.h>

#include "TAMSEL.H"

/* Copy Option.  With direct copy on, the clipboard follows a change of
   the names' form at once, as it follows every change of the list. */
static void Copy_Option(HWND hWnd)
{
    const UINT nFormBefore = name_only_on | quotes_on << 1 | crlf_on << 2 | file_url_on << 3;
    DialogBoxParamA(hInst, MAKEINTRESOURCEA(IDD_OPTION), hWnd, Option, 0);
    const UINT nForm = name_only_on | quotes_on << 1 | crlf_on << 2 | file_url_on << 3;
    if (nForm != nFormBefore && direct_copy_on == 1 && TotalNumberOfFiles)
        PostMessageA(hWnd, WM_COMMAND, IDM_DIRECTCOPY, 0);
}

/* The menu bar's Edit pop-up: the one that holds NameCopy. */
HMENU Edit_Menu(HWND hWnd)
{
    HMENU hMenu = GetMenu(hWnd);
    const int nItems = hMenu ? GetMenuItemCount(hMenu) : 0;
    for (int i = 0; i < nItems; i++) {
        HMENU hPopup = GetSubMenu(hMenu, i);
        if (hPopup && GetMenuState(hPopup, IDM_NAMECOPY, MF_BYCOMMAND) != (UINT)-1)
            return hPopup;
    }
    return NULL;
}

void Show_Wait_Cursor(void)
{
    /* Not set back: the class cursor returns with the next mouse move. */
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
}

/* Invalidates the whole client area with erasing and paints it at once. */
static void Repaint(HWND hWnd)
{
    InvalidateRect(hWnd, NULL, TRUE);
    UpdateWindow(hWnd);
}

void Post_Init_Menu(HWND hWnd)
{
    HMENU hMenu = GetMenu(hWnd);
    if (hMenu)
        PostMessageA(hWnd, WM_INITMENU, (WPARAM)hMenu, 0);
}

static const char szSaveTitle[]     = "Save Name";
LRESULT WMCommand(HWND hWnd, WPARAM wParam)
{
    /* During a folder's walk the list is being made: a paste waits for its
       end, help and About may be had, nothing else is done. */
    if (bWalking && LOWORD(wParam) != IDM_INDEX && LOWORD(wParam) != IDM_USINGHELP && LOWORD(wParam) != IDM_ABOUT) {
        if (LOWORD(wParam) == IDM_PASTE || LOWORD(wParam) == IDM_UNDO || LOWORD(wParam) == IDM_REDO)
            Wait_Command(hWnd, LOWORD(wParam));
        return LOWORD(wParam) == IDM_SAVEOPTION;
    }
    /* The command in the low word: a menu sends 0 in the high word, an
       accelerator 1.  Copy As: a command a format. */
    if (LOWORD(wParam) >= IDM_COPYAS_FIRST && LOWORD(wParam) <= IDM_COPYAS_LAST) {
        if (TotalNumberOfFiles) {
            Show_Wait_Cursor();
            Copy_As(hWnd, LOWORD(wParam) - IDM_COPYAS_FIRST);
        }
        return 0;
    }
    switch (LOWORD(wParam)) {
    case IDM_SAVE:
        if (!TotalNumberOfFiles)
            break;
        if (szFName[0]) {
            Show_Wait_Cursor();
            NameSave(hWnd);
            Repaint(hWnd);
        } else {
            PostMessageA(hWnd, WM_COMMAND, IDM_SAVEAS, 0);
        }
        break;

    case IDM_SAVEAS:
        if (!TotalNumberOfFiles)
            break;
        if (CMUFileBox(hWnd, szSaveTitle, 1)) {
            Show_Wait_Cursor();
            NameSave(hWnd);
        }
        Repaint(hWnd);
        break;

    case IDM_EXIT:
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
        break;

    case IDM_NAMECOPY:
        if (TotalNumberOfFiles) {
            Show_Wait_Cursor();
            Copy_Clipboard(hWnd);
        } else {
            Message_Box(hWnd, IDS_NO_FILE, IDS_NO_FILE_CAP, MB_OK | MB_ICONEXCLAMATION);
        }
        break;

    case IDM_DIRECTCOPY:
        if (TotalNumberOfFiles)
            Copy_List(hWnd, FALSE, 0, 0);
        break;

    case IDM_REMOVE:
        Show_Wait_Cursor();
        Remove_Selected(hWnd, IDS_CHANGE_REMOVE);
        break;

    /* Undo and Redo take their turn after what waits to be taken. */
    case IDM_UNDO:
        if (!Wait_Command(hWnd, IDM_UNDO)) {
            Show_Wait_Cursor();
            History_Undo(hWnd);
        }
        break;

    case IDM_REDO:
        if (!Wait_Command(hWnd, IDM_REDO)) {
            Show_Wait_Cursor();
            History_Redo(hWnd);
        }
        break;

    case IDM_SELECTMATCHING:
        if (TotalNumberOfFiles)
            Select_Matching(hWnd);
        break;

    case IDM_SELECTFILES:
    case IDM_SELECTFOLDERS:
        Show_Wait_Cursor();
        Select_Kind(hWnd, LOWORD(wParam) == IDM_SELECTFOLDERS);
        break;

    case IDM_INVERTSELECTION:
        Invert_Selection(hWnd);
        break;

    case IDM_STATUSBAR:
        Toggle_Status_Bar(hWnd);
        break;

    case IDM_SELECTALL:
        Select_All(hWnd);
        break;

    case IDM_SORT:
        Show_Wait_Cursor();
        Sort_By_Name(hWnd);
        break;

    case IDM_OPENFOLDER:
        Open_Containing_Folder(hWnd);
        break;

    case IDM_PASTE:
        if (!Wait_Command(hWnd, IDM_PASTE))
            Paste_Files(hWnd);
        break;

    case IDM_CLIPCLEAR:
        ClipBoardClear(hWnd);
        break;

    case IDM_TAMSELCLEAR:
        TamselClear(hWnd);
        First_Scroll_Initial(hWnd, (int)TotalNumberOfFiles, maxfile_name_length);
        CaptionFileOpen(hWnd, TotalNumberOfFiles);
        PostMessageA(hWnd, WM_INITMENU, (WPARAM)GetMenu(hWnd), 0);
        Repaint(hWnd);
        break;

    case IDM_COPYOPTION:
        Copy_Option(hWnd);
        break;

    case IDM_COPYAS_FORMATS:
        Copy_As_Formats(hWnd);
        break;

    case IDM_FONT:
        hnewsfont = CMUFont(hWnd, hnewsfont);
        First_Scroll_Initial(hWnd, (int)TotalNumberOfFiles, maxfile_name_length);
        Repaint(hWnd);
        break;

    case IDM_SAVEOPTION:
        Write_Pro_File_Tm(hWnd);
        return 1;

    case IDM_INDEX:
        Show_Help_Index(hWnd);
        break;

    case IDM_USINGHELP:
        Show_Using_Help(hWnd);
        break;

    case IDM_ABOUT:
        DialogBoxParamA(hInst, MAKEINTRESOURCEA(IDD_ABOUT), hWnd, About, 0);
        break;
    }
    return 0;
}

/* The items of the menu bar or the context menu, gray where they cannot
   act; a command the menu lacks is passed over. */
void Menu_States(HMENU hMenu)
{
    const struct { UINT id; BOOL bEnabled; } items[] = {
        { IDM_NAMECOPY,    TotalNumberOfFiles > 0 },
        { IDM_SAVE,        TotalNumberOfFiles > 0 },
        { IDM_SAVEAS,      TotalNumberOfFiles > 0 },
        { IDM_TAMSELCLEAR, TotalNumberOfFiles > 0 },
        { IDM_SELECTALL,   TotalNumberOfFiles > 0 },
        { IDM_SORT,        TotalNumberOfFiles > 1 },
        { IDM_REMOVE,      nSelectedRows > 0 },
        { IDM_UNDO,        Undo_Change() != 0 },
        { IDM_REDO,        Redo_Change() != 0 },
        { IDM_SELECTMATCHING,  TotalNumberOfFiles > 0 },
        { IDM_SELECTFILES,     TotalNumberOfFiles > 0 },
        { IDM_SELECTFOLDERS,   TotalNumberOfFiles > 0 },
        { IDM_INVERTSELECTION, TotalNumberOfFiles > 0 },
        { IDM_OPENFOLDER,  nFocusRow >= 0 && nFocusRow < (int)TotalNumberOfFiles },
        /* Paste takes files copied in a folder window, or a text; its
           paths are looked for only when the user pastes. */
        { IDM_PASTE,       Clipboard_Has_Files() },
    };
    /* During a folder's walk they wait, but Paste, which is taken after it. */
    for (const auto &item : items)
        EnableMenuItem(hMenu, item.id, MF_BYCOMMAND |
                       (item.bEnabled && (!bWalking || item.id == IDM_PASTE) ? MF_ENABLED : MF_GRAYED));
    for (UINT id = IDM_COPYAS_FIRST; id <= IDM_COPYAS_LAST; id++)
        EnableMenuItem(hMenu, id, MF_BYCOMMAND | (TotalNumberOfFiles > 0 && !bWalking ? MF_ENABLED : MF_GRAYED));
}

/* Undo and Redo say what they would take back or do again. */
static void Undo_Texts(HMENU hMenu)
{
    const struct { UINT idItem, idChange, idBare, idWith; } items[] = {
        { IDM_UNDO, Undo_Change(), IDS_UNDO, IDS_UNDO_CHANGE },
        { IDM_REDO, Redo_Change(), IDS_REDO, IDS_REDO_CHANGE },
    };
    for (const auto &item : items) {
        WCHAR szChange[64], szText[128];
        if (item.idChange) {
            Load_Message(item.idChange, szChange, 64);
            Format_Message(item.idWith, szText, 128, szChange, NULL);
        } else {
            Load_Message(item.idBare, szText, 128);
        }
        /* Windows 95 and 98 take the text in the code page. */
        if (!ModifyMenuW(hMenu, item.idItem, MF_BYCOMMAND | MF_STRING, item.idItem, szText)) {
            char szAnsi[256];
            if (WideCharToMultiByte(CP_ACP, 0, szText, -1, szAnsi, sizeof szAnsi, NULL, NULL) > 0)
                ModifyMenuA(hMenu, item.idItem, MF_BYCOMMAND | MF_STRING, item.idItem, szAnsi);
        }
    }
}

void WMInitMenu(HWND hWnd, HMENU hMenu)
{
    /* The system menu and other pop-ups leave the items alone. */
    if (hMenu != GetMenu(hWnd))
        return;
    Undo_Texts(hMenu);   /* first: a new text comes enabled */
    Menu_States(hMenu);
    CheckMenuItem(hMenu, IDM_STATUSBAR, MF_BYCOMMAND | (status_bar_on == 1 ? MF_CHECKED : MF_UNCHECKED));
    DrawMenuBar(hWnd);
}
