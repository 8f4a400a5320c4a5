#ifndef TAVELIN_SETUP_SEQUENCE_H
#define TAVELIN_SETUP_SEQUENCE_H

#include <windows.h>

LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/* The finishing step: closing message, then quit. Registration runs it
   inline at its end. */
void SequenceFinish(HWND window);

#endif
