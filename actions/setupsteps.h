#ifndef TAVELIN_ACTIONS_SETUPSTEPS_H
#define TAVELIN_ACTIONS_SETUPSTEPS_H

#include <windows.h>

/* WM_SETUP_SHORTCUTS: group folder and shortcuts; posts WM_SETUP_REGISTER or
   runs registration inline when the Programs folder cannot be read. */
void ShortcutsStep(HWND window);
HRESULT ShellLinkCreate(const char *target, const char *linkPath, const char *description,
                        const char *iconFile, int iconIndex);

/* WM_SETUP_REGISTER: registry entries, the question, the suffixes, then the
   finishing step inline. */
void RegistrationStep(HWND window);

#endif
