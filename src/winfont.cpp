/* Display font: its description and colour in the profile's "Font" section,
   the font object, and the character size that painting and scrolling use. */
#include <stdlib.h>
#include <string.h>

#include "TAMSEL.H"

LOGFONTA cursfont;
COLORREF fontcolor;
HFONT    hnewsfont;
int      xChar;
int      yChar;
int      nDpi = 96;

static CHOOSEFONTA cfTemp;      /* the chooser's request, kept between calls */

static const char APNFont[]           = "Font";
static const char KNd_font[]          = "FontFace";
static const char KNd_font_y[]        = "Size_y";
static const char KNd_font_x[]        = "Size_x";
static const char KN_Weight[]         = "Weight";
static const char KN_Italic[]         = "Italic";
static const char KN_Underline[]      = "Underline";
static const char KN_StrikeOut[]      = "StrikeOut";
static const char KN_Quality[]        = "Quality";
static const char KN_PitchAndFamily[] = "PitchAndFamily";
static const char KN_CharSet[]        = "CharSet";
static const char KN_OutPrecision[]   = "OutPrecision";
static const char KN_ClipPrecision[]  = "ClipPrecision";
static const char KN_FontColor[]      = "Color";

static const char szDefaultFont[]   = "System";
/* Start-up and the font command measure different samples. */
static const char szStartSample[]   = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
static const char szSample_string[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ:_ ~";

#define PRO_BUFF_SIZE 256

/* The readers give the defaults when there is no profile path at all. */
static int Font_Int(LPCWSTR szProFileName, LPCSTR lpszKey, int nDefault)
{
    if (!szProFileName[0])
        return nDefault;
    return (int)Profile_Int(szProFileName, APNFont, lpszKey, nDefault);
}

static void Font_String(LPCWSTR szProFileName, LPCSTR lpszKey, LPCSTR lpszDefault, LPSTR szProBuff)
{
    if (!szProFileName[0])
        lstrcpynA(szProBuff, lpszDefault, PRO_BUFF_SIZE);
    else
        Profile_String(szProFileName, APNFont, lpszKey, lpszDefault, szProBuff, PRO_BUFF_SIZE);
}

/* The largest size the font chooser sets, 1,638 points, in the stored
   sizes' pixels (96-DPI units).  A hand-edited profile can hold any
   number, and a font tens of thousands of pixels high takes minutes to
   paint a line. */
static int Largest_Font_Pixels(void)
{
    return MulDiv(1638, 96, 72);
}

/* A height or width the chooser could have set; any other reads as 0, the
   font mapper's default size, as when the key is missing. */
static LONG Font_Size(LPCWSTR szProFileName, LPCSTR lpszKey, int nLargest)
{
    const int n = Font_Int(szProFileName, lpszKey, 0);
    return n >= -nLargest && n <= nLargest ? n : 0;
}

/* Only the exact text "TRUE" is on. */
static BYTE Font_Flag(LPCWSTR szProFileName, LPCSTR lpszKey)
{
    char szProBuff[PRO_BUFF_SIZE];
    Font_String(szProFileName, lpszKey, szFalse, szProBuff);
    return strcmp(szProBuff, szTrue) == 0 ? 1 : 0;
}

/* Copies a face name into lfFaceName, cut to 31 bytes on a character
   boundary so that no lone lead byte is left at the end. */
static void Copy_Face_Name(LPSTR lpszFace, LPCSTR lpszName)
{
    int n = 0;
    while (lpszName[n]) {
        int step = (IsDBCSLeadByte((BYTE)lpszName[n]) && lpszName[n + 1]) ? 2 : 1;
        if (n + step > LF_FACESIZE - 1)
            break;
        n += step;
    }
    memcpy(lpszFace, lpszName, n);
    lpszFace[n] = '\0';
}

/* Sets xChar and yChar from the font selected into hDC.  Both stay at least
   1: scrolling divides by them. */
static void Measure_Font(HDC hDC, LPCSTR lpszSample)
{
    SIZE String_Size = {0, 0};
    int nLength = lstrlenA(lpszSample);
    GetTextExtentPointA(hDC, lpszSample, nLength, &String_Size);
    xChar = String_Size.cx / nLength;
    yChar = String_Size.cy;
    if (xChar < 1)
        xChar = 1;
    if (yChar < 1)
        yChar = 1;
}

void GetProfileFont(LPCWSTR szProFileName)
{
    char szProBuff[PRO_BUFF_SIZE];

    Font_String(szProFileName, KNd_font, szDefaultFont, szProBuff);
    Copy_Face_Name(cursfont.lfFaceName, szProBuff);
    const int nLargest = Largest_Font_Pixels();
    cursfont.lfHeight  = Font_Size(szProFileName, KNd_font_y, nLargest);
    cursfont.lfWidth   = Font_Size(szProFileName, KNd_font_x, nLargest);
    const int nWeight  = Font_Int(szProFileName, KN_Weight, FW_NORMAL);
    cursfont.lfWeight  = nWeight >= 0 && nWeight <= 1000 ? nWeight : FW_NORMAL;
    cursfont.lfItalic    = Font_Flag(szProFileName, KN_Italic);
    cursfont.lfUnderline = Font_Flag(szProFileName, KN_Underline);
    cursfont.lfStrikeOut = Font_Flag(szProFileName, KN_StrikeOut);
    /* Byte fields keep the low 8 bits of whatever is stored. */
    cursfont.lfQuality        = (BYTE)Font_Int(szProFileName, KN_Quality, DEFAULT_QUALITY);
    cursfont.lfPitchAndFamily = (BYTE)Font_Int(szProFileName, KN_PitchAndFamily, DEFAULT_PITCH | FF_DONTCARE);
    cursfont.lfCharSet        = (BYTE)Font_Int(szProFileName, KN_CharSet, DEFAULT_CHARSET);
    cursfont.lfOutPrecision   = (BYTE)Font_Int(szProFileName, KN_OutPrecision, OUT_DEVICE_PRECIS);
    cursfont.lfClipPrecision  = (BYTE)Font_Int(szProFileName, KN_ClipPrecision, CLIP_DEFAULT_PRECIS);

    Font_String(szProFileName, KN_FontColor, "0", szProBuff);
    fontcolor = (COLORREF)strtol(szProBuff, NULL, 10);
}

/* Returns 1 when every key was written, 0 from the first that was not. */
int WriteProfileFont(LPCWSTR szProFileName)
{
    char szProBuff[PRO_BUFF_SIZE];

    if (!szProFileName[0])
        return 0;
    const struct { LPCSTR lpszKey; int nValue; } numbers[] = {
        { KNd_font_y, (int)cursfont.lfHeight },
        { KNd_font_x, (int)cursfont.lfWidth },
        { KN_Weight,  (int)cursfont.lfWeight },
    };
    const struct { LPCSTR lpszKey; BYTE bValue; } flags[] = {
        { KN_Italic,    cursfont.lfItalic },
        { KN_Underline, cursfont.lfUnderline },
        { KN_StrikeOut, cursfont.lfStrikeOut },
    };
    const struct { LPCSTR lpszKey; BYTE bValue; } bytes[] = {
        { KN_Quality,        cursfont.lfQuality },
        { KN_PitchAndFamily, cursfont.lfPitchAndFamily },
        { KN_CharSet,        cursfont.lfCharSet },
        { KN_OutPrecision,   cursfont.lfOutPrecision },
        { KN_ClipPrecision,  cursfont.lfClipPrecision },
    };

    if (!Profile_Write(szProFileName, APNFont, KNd_font, cursfont.lfFaceName))
        return 0;
    for (const auto &n : numbers) {
        wsprintfA(szProBuff, "%d", n.nValue);
        if (!Profile_Write(szProFileName, APNFont, n.lpszKey, szProBuff))
            return 0;
    }
    /* The chooser sets a style's italic as 255, not 1: any value is on. */
    for (const auto &f : flags)
        if (!Profile_Write(szProFileName, APNFont, f.lpszKey, f.bValue ? szTrue : szFalse))
            return 0;
    for (const auto &b : bytes) {
        wsprintfA(szProBuff, "%d", (int)b.bValue);
        if (!Profile_Write(szProFileName, APNFont, b.lpszKey, szProBuff))
            return 0;
    }
    wsprintfA(szProBuff, "%d", (int)fontcolor);
    return Profile_Write(szProFileName, APNFont, KN_FontColor, szProBuff) ? 1 : 0;
}

typedef UINT (WINAPI *GETDPIFORWINDOW)(HWND hWnd);

/* The DPI a window is drawn at: GetDpiForWindow where Windows has it
   (10 from 1607 on, loaded at run time), else the screen's.  An answer of
   0 or past any display's (960) is taken as 96. */
int Window_Dpi(HWND hWnd)
{
    GETDPIFORWINDOW pGetDpi = (GETDPIFORWINDOW)(void *)GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow");
    int n = hWnd && pGetDpi ? (int)pGetDpi(hWnd) : 0;
    if (!n) {
        HDC hDC = GetDC(NULL);
        n = hDC ? GetDeviceCaps(hDC, LOGPIXELSY) : 96;
        if (hDC)
            ReleaseDC(NULL, hDC);
    }
    return n > 0 && n <= 960 ? n : 96;
}

/* The display font at the window's DPI: its stored size is in 96-DPI
   units, as a program unaware of DPI always stored it.  A height of 0,
   the font mapper's default, is a size in pixels at every DPI: it is
   measured and scaled like any other. */
static HFONT Create_Display_Font(void)
{
    LOGFONTA lf = cursfont;
    lf.lfHeight = MulDiv(cursfont.lfHeight, nDpi, 96);
    lf.lfWidth = MulDiv(cursfont.lfWidth, nDpi, 96);
    HFONT hFont = CreateFontIndirectA(&lf);
    if (hFont && lf.lfHeight == 0 && nDpi != 96) {
        TEXTMETRICA tm;
        HDC hDC = GetDC(NULL);
        HGDIOBJ hOld = SelectObject(hDC, hFont);
        const BOOL bMeasured = GetTextMetricsA(hDC, &tm);
        SelectObject(hDC, hOld);
        ReleaseDC(NULL, hDC);
        if (bMeasured && tm.tmHeight > 0) {
            lf.lfHeight = MulDiv(tm.tmHeight, nDpi, 96);   /* positive: the cell's height */
            HFONT hScaled = CreateFontIndirectA(&lf);
            if (hScaled) {
                DeleteObject(hFont);
                hFont = hScaled;
            }
        }
    }
    return hFont;
}

void InitFont(HWND hWnd)
{
    HDC hDC = GetDC(hWnd);

    nDpi = Window_Dpi(hWnd);
    cursfont.lfEscapement = 0;
    cursfont.lfOrientation = 0;
    hnewsfont = Create_Display_Font();
    HGDIOBJ hOld = SelectObject(hDC, hnewsfont);
    Measure_Font(hDC, szStartSample);
    SelectObject(hDC, hOld);
    ReleaseDC(hWnd, hDC);
}

HFONT CMUFont(HWND hWnd, HFONT hfoldFont)
{
    HFONT hResult = hfoldFont;
    HDC hDC = GetDC(hWnd);
    /* The chooser works on a copy: some implementations write the record
       back even when the user cancels.  It tells points from pixels by
       the screen's DPI. */
    LOGFONTA lfChoice = cursfont;
    const int nScreenDpi = Window_Dpi(NULL);
    lfChoice.lfHeight = MulDiv(cursfont.lfHeight, nScreenDpi, 96);
    lfChoice.lfWidth = MulDiv(cursfont.lfWidth, nScreenDpi, 96);

    cfTemp.lStructSize = sizeof cfTemp;
    cfTemp.hwndOwner = hWnd;
    cfTemp.hDC = NULL;
    cfTemp.lpLogFont = &lfChoice;
    /* No "@" faces: they lay every name on its side. */
    cfTemp.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_FORCEFONTEXIST | CF_NOVERTFONTS;
    cfTemp.rgbColors = fontcolor;
    cfTemp.lCustData = 0;
    cfTemp.lpfnHook = NULL;
    cfTemp.lpTemplateName = NULL;
    cfTemp.hInstance = NULL;
    cfTemp.lpszStyle = NULL;
    cfTemp.nFontType = SCREEN_FONTTYPE;
    cfTemp.nSizeMin = 0;
    cfTemp.nSizeMax = 0;

    if (ChooseFontA(&cfTemp)) {
        if (hfoldFont)
            DeleteObject(hfoldFont);
        fontcolor = cfTemp.rgbColors;
        cursfont = lfChoice;
        cursfont.lfHeight = MulDiv(lfChoice.lfHeight, 96, nScreenDpi);
        cursfont.lfWidth = MulDiv(lfChoice.lfWidth, 96, nScreenDpi);
        hResult = Create_Display_Font();
        HGDIOBJ hOld = SelectObject(hDC, hResult);
        Measure_Font(hDC, szSample_string);
        SelectObject(hDC, hOld);
    }
    ReleaseDC(hWnd, hDC);
    return hResult;
}

/* The window moved to a display of another scale (WM_DPICHANGED): the
   font anew at its DPI, measured again. */
void Font_Dpi_Changed(HWND hWnd, int nNewDpi)
{
    const int nOldDpi = nDpi;
    nDpi = nNewDpi > 0 && nNewDpi <= 960 ? nNewDpi : 96;
    HFONT hNew = Create_Display_Font();
    if (!hNew) {
        nDpi = nOldDpi;   /* the font it was drawn with stays, and its scale */
        return;
    }
    if (hnewsfont)
        DeleteObject(hnewsfont);
    hnewsfont = hNew;
    HDC hDC = GetDC(hWnd);
    HGDIOBJ hOld = SelectObject(hDC, hnewsfont);
    Measure_Font(hDC, szStartSample);
    SelectObject(hDC, hOld);
    ReleaseDC(hWnd, hDC);
}

void SelectUser_Font(HDC hDC, HFONT hFont)
{
    SelectObject(hDC, hFont);
    SetTextColor(hDC, fontcolor);
}

void CloseFont(void)
{
    if (hnewsfont)
        DeleteObject(hnewsfont);
    hnewsfont = NULL;
}
