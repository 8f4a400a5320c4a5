#ifndef TAVELIN_UI_BACKDROP_H
#define TAVELIN_UI_BACKDROP_H

#include <windows.h>

/* The backdrop's face: the picture, loaded when the window is made, and its
   tiles. */
HBITMAP LoadBitmapFile(HINSTANCE instance, const char *caption, HWND owner, const char *path,
                       HDC context);
void BackdropCreate(HWND window);
void BackdropSize(LPARAM lParam);
void BackdropPaint(HWND window);

#endif
