/* Separator token selector. */
#include <string.h>

#include "SELTOKEN.H"

void string_select_token(char *sztoken, int token_char_type)
{
    switch (token_char_type) {
    case 1:  strcpy(sztoken, ",");  break;
    case 2:  strcpy(sztoken, "/");  break;
    case 3:  strcpy(sztoken, " ");  break;
    case 4:  strcpy(sztoken, "\t"); break;
    default: strcpy(sztoken, "\n"); break;
    }
}
