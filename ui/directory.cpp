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
    /* When the read fails the platform promises nothing about the buffer,
       which is not installDir: the script's value stays. */
    char programFiles[sizeof setup.installDir];
    if (RegistryReadValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                          "ProgramFilesDir", programFiles, sizeof programFiles) == 0)
        DirectoryProposal(programFiles, setup.applicationName, setup.installDir,
                          sizeof setup.installDir);
}

static void DirectoryAccept(HWND dialog)
{
    char typed[SETUP_PATH_CAPACITY];
    GetDlgItemTextA(dialog, IDC_DIRECTORY_PATH, typed, sizeof typed);

    char current[SETUP_PATH_CAPACITY];
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
        SendDlgItemMessageA(dialog, IDC_DIRECTORY_PATH, EM_LIMITTEXT, SETUP_PATH_CAPACITY, 0);
        SetDlgItemTextA(dialog, IDC_DIRECTORY_PROMPT, setup.directoryPrompt);
        DirectoryPropose();
        SetDlgItemTextA(dialog, IDC_DIRECTORY_PATH, setup.installDir);
        wsprintfA(setup.ioBuffer, setup.sizeFormat,
                  (long)DirectorySizeKilobytes(setup.totalSize));
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
