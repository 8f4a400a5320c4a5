#include <windows.h>
#include <shlobj.h>

#include "actions/shortcut.h"

#include "actions/registry.h"
#include "script/entry.h"
#include "script/script.h"
#include "setup/state.h"
#include "util/message.h"
#include "util/strings.h"
#include "util/text.h"

static const char shellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

HRESULT ShellLinkCreate(const char *target, const char *linkPath, const char *description,
                        const char *iconFile, int iconIndex)
{
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    WCHAR widePath[SETUP_PATH_CAPACITY];

    /* Only an initialisation that took place is balanced: uninitialising
       after a refusal would end an initialisation that is not ours. */
    HRESULT com = CoInitialize(NULL);
    HRESULT status = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, (void **)&link);
    if (FAILED(status))
        goto done;
    status = link->QueryInterface(IID_IPersistFile, (void **)&file);
    if (FAILED(status))
        goto done;
    status = link->SetPath(target);
    if (FAILED(status))
        goto done;
    status = link->SetDescription(description);
    if (FAILED(status))
        goto done;
    if (iconFile != NULL) {
        status = link->SetIconLocation(iconFile, iconIndex);
        if (FAILED(status))
            goto done;
    }
    status = link->SetShowCmd(SW_SHOWNORMAL);
    if (FAILED(status))
        goto done;
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, SETUP_PATH_CAPACITY) == 0) {
        status = HRESULT_FROM_WIN32(GetLastError());
        goto done;
    }
    status = file->Save(widePath, TRUE);
    if (SUCCEEDED(status))
        status = S_OK;

done:
    if (file != NULL)
        file->Release();
    if (link != NULL)
        link->Release();
    if (SUCCEEDED(com))
        CoUninitialize();
    return status;
}

static void ShortcutsMake(void)
{
    int desktopPending = 1;
    for (;;) {
        const char *line = setup.scriptText + setup.scanOffset;
        int length = ScriptScanEntry(line, &setup.keyLength, &setup.valuePtr, &setup.valueLength);
        /* An empty line, a comment or a lone '=' ends the list. */
        if (length == 0 || (setup.keyLength == 0 && setup.valueLength == 0))
            break;
        setup.lineLength = length;
        TextBoundedCopy(setup.entryKey, sizeof setup.entryKey, line, setup.keyLength);
        TextBoundedCopy(setup.entryValue, sizeof setup.entryValue, setup.valuePtr,
                        setup.valueLength);

        EntryShortcut fields;
        char target[SETUP_PATH_CAPACITY];
        char linkPath[SETUP_PATH_CAPACITY];
        char icon[SETUP_PATH_CAPACITY];
        EntrySplitShortcut(setup.entryValue, &fields);
        EntryShortcutPaths(&fields, setup.installDir, target, sizeof target, icon, sizeof icon);
        EntryJoinPath(linkPath, sizeof linkPath, setup.groupFolder, setup.entryKey);

        ShellLinkCreate(target, linkPath, fields.description, icon, fields.iconIndex);

        if (desktopPending) {
            desktopPending = 0;
            if (RegistryReadValue(HKEY_CURRENT_USER, shellFolders, "Desktop", setup.desktopFolder,
                                  sizeof setup.desktopFolder) == 0) {
                EntryJoinPath(linkPath, sizeof linkPath, setup.desktopFolder, setup.entryKey);
                ShellLinkCreate(target, linkPath, fields.description, icon, fields.iconIndex);
            }
        }
        setup.scanOffset += length;
    }
}

int ShortcutsStep(HWND window)
{
    if (ScriptFindSection(setup.instance, setup.className, window, setup.sectionGroup, 0,
                          setup.scriptText, &setup.scanOffset) != 0)
        return 0;
    SetCapture(window);
    if (RegistryReadValue(HKEY_CURRENT_USER, shellFolders, "Programs", setup.programsFolder,
                          sizeof setup.programsFolder) != 0)
        return -1;
    EntryJoinPath(setup.groupFolder, sizeof setup.groupFolder, setup.programsFolder,
                  setup.applicationName);
    if (!CreateDirectoryA(setup.groupFolder, NULL) && GetLastError() != ERROR_ALREADY_EXISTS) {
        setup.errorCount++;
        ReleaseCapture();
        MessageShowFormatted(setup.instance, setup.applicationName, window, IDS_CANNOT_CREATE,
                             setup.groupFolder, MB_ICONERROR);
        return 0;
    }
    ScriptFindSection(setup.instance, setup.className, window, setup.sectionGroup, 1,
                      setup.scriptText, &setup.scanOffset);
    ShortcutsMake();
    return 0;
}
