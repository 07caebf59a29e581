/* Tamsel32: lists files dropped from the shell and turns the list into text. */
#include "TAMSEL.H"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
