#ifndef TAVELIN_SETUP_SEQUENCE_H
#define TAVELIN_SETUP_SEQUENCE_H

#include <windows.h>

LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
