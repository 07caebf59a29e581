/* Separator token selector. */
#include <wchar.h>

#include "SELTOKEN.H"

void string_select_token(wchar_t *sztoken, int token_char_type)
{
    switch (token_char_type) {
    case 1:  wcscpy(sztoken, L",");  break;
    case 2:  wcscpy(sztoken, L"/");  break;
    case 3:  wcscpy(sztoken, L" ");  break;
    case 4:  wcscpy(sztoken, L"\t"); break;
    default: wcscpy(sztoken, L"\n"); break;
    }
}
