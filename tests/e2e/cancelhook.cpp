/* A message hook that the cancel tests place in SETUPCNT.EXE: it presses the
   progress dialog's Annuler at an exact point of the copy. TAV_CANCEL_AT
   counts the copy steps taken from the queue (next entry, chunk, copy done),
   from 1; the click is posted as the step numbered so is taken, so it is seen
   before the step after it. */
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "resources/ids.h"
#include "setup/messages.h"

static int target = -1;
static int taken = 0;

static BOOL CALLBACK FindProgress(HWND window, LPARAM found)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && GetDlgItem(window, IDC_PROGRESS_CANCEL) != NULL &&
        GetDlgItem(window, IDC_PROGRESS_TOTAL_TEXT) != NULL) {
        *(HWND *)found = window;
        return FALSE;
    }
    return TRUE;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK CancelHookProc(int code, WPARAM wParam,
                                                                 LPARAM lParam)
{
    const MSG *message = (const MSG *)lParam;
    if (code == HC_ACTION && wParam == PM_REMOVE && target > 0 && message->message >= WM_SETUP_NEXT_FILE &&
        message->message <= WM_SETUP_COPY_DONE && ++taken == target) {
        HWND dialog = NULL;
        EnumWindows(FindProgress, (LPARAM)&dialog);
        if (dialog != NULL)
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_CANCEL, BN_CLICKED),
                         (LPARAM)GetDlgItem(dialog, IDC_PROGRESS_CANCEL));
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        /* only in the program under test, the counting build of SETUP.EXE */
        char path[MAX_PATH];
        DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
        const char *name = n ? strrchr(path, '\\') : NULL;
        char at[16];
        if (name != NULL && lstrcmpiA(name + 1, "SETUPCNT.EXE") == 0 &&
            GetEnvironmentVariableA("TAV_CANCEL_AT", at, sizeof at) > 0)
            target = atoi(at);
    }
    return TRUE;
}
