#ifndef TAVELIN_UTIL_WINDOW_H
#define TAVELIN_UTIL_WINDOW_H

#include <windows.h>

/* Centres window over reference, kept on the screen, left and top edges
   first. */
void WindowCenterOver(HWND reference, HWND window);
/* How each of the program's dialogs starts: centred over its owner, with
   the caption given. */
void WindowStartDialog(HWND dialog, const char *caption);

#endif
