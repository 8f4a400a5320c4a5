#ifndef TAVELIN_ACTIONS_REGISTRATION_H
#define TAVELIN_ACTIONS_REGISTRATION_H

#include <windows.h>

/* WM_SETUP_REGISTER: the application path, the uninstall entry, the question
   about the default editor, the text-file commands and the suffixes. The
   finishing step follows at once. */
void RegistrationStep(HWND window);
INT_PTR CALLBACK RegistrationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
