#ifndef TAVELIN_UI_PROGRESS_H
#define TAVELIN_UI_PROGRESS_H

#include <windows.h>

/* The modeless progress dialog of the copy, told of each new file and each
   chunk by CMD_PROGRESS_NEWFILE and CMD_PROGRESS_UPDATE. */
INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/* Paints one of the dialog's two bars, IDC_PROGRESS_FILE_BAR or
   IDC_PROGRESS_TOTAL_BAR. */
void DrawProgressBar(HWND dialog, WORD controlId, WORD percentage);

#endif
