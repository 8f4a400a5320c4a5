#ifndef TAVELIN_UI_DIALOGS_H
#define TAVELIN_UI_DIALOGS_H

#include <windows.h>

INT_PTR CALLBACK DirectoryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RegistrationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void DrawProgressBar(HWND dialog, WORD controlId, WORD percentage);

/* The backdrop's face: picture loading and tiling. */
HBITMAP LoadBitmapFile(HINSTANCE instance, const char *caption, HWND owner, const char *path,
                       HDC context);
void BackdropCreate(HWND window);
void BackdropSize(LPARAM lParam);
void BackdropPaint(HWND window);

#endif
