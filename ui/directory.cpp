#include <windows.h>

#include "actions/registry.h"
#include "resources/ids.h"
#include "setup/state.h"
#include "ui/directory.h"
#include "ui/dirpath.h"
#include "util/file.h"
#include "util/text.h"
#include "util/window.h"

static void DirectoryPropose(void)
{
    /* The read goes straight into installDir; when it fails the platform
       promises nothing about the buffer, so the script's value is kept. */
    char scriptDirectory[sizeof setup.installDir];
    TextBoundedCopy(scriptDirectory, sizeof scriptDirectory, setup.installDir,
                    TextLength(setup.installDir));
    if (RegistryReadValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                          "ProgramFilesDir", setup.installDir, sizeof setup.installDir) == 0) {
        int end = TextLength(setup.installDir);
        end = TextBoundedAppend(setup.installDir, sizeof setup.installDir, end, "\\", 1);
        TextBoundedAppend(setup.installDir, sizeof setup.installDir, end, setup.applicationName,
                          TextLength(setup.applicationName));
    } else {
        TextBoundedCopy(setup.installDir, sizeof setup.installDir, scriptDirectory,
                        TextLength(scriptDirectory));
    }
}

static void DirectoryAccept(HWND dialog)
{
    char typed[260];
    GetDlgItemTextA(dialog, IDC_DIRECTORY_PATH, typed, sizeof typed);

    char current[260];
    DWORD n = GetCurrentDirectoryA(sizeof current, current);
    const char *currentDirectory = (n > 0 && n < sizeof current) ? current : NULL;
    DirectoryNormalise(typed, currentDirectory, PathCurrentDrive(), setup.installDir,
                       sizeof setup.installDir);
}

INT_PTR CALLBACK DirectoryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        WindowStartDialog(dialog, setup.title);
        SendDlgItemMessageA(dialog, IDC_DIRECTORY_PATH, EM_LIMITTEXT, 260, 0);
        SetDlgItemTextA(dialog, IDC_DIRECTORY_PROMPT, setup.directoryPrompt);
        DirectoryPropose();
        SetDlgItemTextA(dialog, IDC_DIRECTORY_PATH, setup.installDir);
        /* kilobytes rounded up, in 64 bits; the format's %ld takes 32, which
           is 2 TiB, past which the figure stays at its largest */
        {
            long long kilobytes = (setup.totalSize + 1023) / 1024;
            if (kilobytes > 0x7fffffffLL)
                kilobytes = 0x7fffffffLL;
            wsprintfA(setup.ioBuffer, setup.sizeFormat, (long)kilobytes);
        }
        SetDlgItemTextA(dialog, IDC_DIRECTORY_SIZE, setup.ioBuffer);
        return TRUE;

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
        case IDC_DIRECTORY_CANCEL:
            EndDialog(dialog, IDC_DIRECTORY_CANCEL);
            return TRUE;
        case IDC_DIRECTORY_INSTALL:
            DirectoryAccept(dialog);
            EndDialog(dialog, IDC_DIRECTORY_INSTALL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
