#ifndef TAVELIN_ACTIONS_SHORTCUT_H
#define TAVELIN_ACTIONS_SHORTCUT_H

#include <windows.h>

/* WM_SETUP_SHORTCUTS: the program group folder and the shortcuts of the
   Groupe section. Returns 0 when the step is over, registration to follow
   in a message of its own; -1 when the user's Programs folder cannot be
   read: nothing was made, and registration follows at once. */
int ShortcutsStep(HWND window);
HRESULT ShellLinkCreate(const char *target, const char *linkPath, const char *description,
                        const char *iconFile, int iconIndex);

#endif
