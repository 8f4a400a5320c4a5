#ifndef TAVELIN_UI_DIRECTORY_H
#define TAVELIN_UI_DIRECTORY_H

#include <windows.h>

/* The modal Directory dialog: ends with IDC_DIRECTORY_INSTALL, installDir
   set, or with IDC_DIRECTORY_CANCEL. */
INT_PTR CALLBACK DirectoryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
