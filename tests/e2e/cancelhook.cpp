/* A message hook that the cancel tests place in SETUPCNT.EXE: it presses the
   progress dialog's Annuler at an exact point of the copy. TAV_CANCEL_AT
   counts the copy steps taken from the queue (next entry, chunk, copy done),
   from 1; the click is posted as the step numbered so is taken, so it is seen
   before the step after it. */
#include <windows.h>

#include <stdlib.h>
#include <string.h>

static int target = -1;
static int taken = 0;

static BOOL CALLBACK FindProgress(HWND window, LPARAM found)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && GetDlgItem(window, 261) != NULL &&
        GetDlgItem(window, 259) != NULL) {
        *(HWND *)found = window;
        return FALSE;
    }
    return TRUE;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK CancelHookProc(int code, WPARAM wParam,
                                                                 LPARAM lParam)
{
    const MSG *message = (const MSG *)lParam;
    if (code == HC_ACTION && wParam == PM_REMOVE && target > 0 && message->message >= 0x401 &&
        message->message <= 0x403 && ++taken == target) {
        HWND dialog = NULL;
        EnumWindows(FindProgress, (LPARAM)&dialog);
        if (dialog != NULL)
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(261, BN_CLICKED),
                         (LPARAM)GetDlgItem(dialog, 261));
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
