#ifndef TAVELIN_SETUP_SEQUENCE_H
#define TAVELIN_SETUP_SEQUENCE_H

#include <windows.h>

/* The backdrop window's procedure: its face, and the installation as a
   chain of posted steps. */
LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
