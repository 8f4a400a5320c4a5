#include "actions/registration.h"

#include "actions/registry.h"
#include "resources/ids.h"
#include "script/entry.h"
#include "script/script.h"
#include "setup/state.h"
#include "util/message.h"
#include "util/strings.h"
#include "util/text.h"
#include "util/window.h"

static const char openCommandKey[] = "txtfile\\shell\\open\\command";
static const char printCommandKey[] = "txtfile\\shell\\print\\command";

static void RegistrationWriteText(HKEY root, const char *keyPath, const char *valueName,
                                  const char *text)
{
    RegistryWriteValue(root, keyPath, valueName, REG_SZ, text, (DWORD)TextLength(text) + 1);
}

/* Quotes the final %1 of an existing command. A command whose quoted form
   would not fit the work text is left alone rather than stored cut. */
static void RegistrationQuoteArgument(const char *keyPath)
{
    char work[260];
    if (RegistryReadValue(HKEY_CLASSES_ROOT, keyPath, "", work, sizeof work) != 0)
        return;
    int n = TextLength(work);
    if (n < 2 || work[n - 2] != '%' || work[n - 1] != '1' || n + 2 > (int)sizeof work - 1)
        return;
    TextBoundedAppend(work, sizeof work, n - 2, "\"%1\"", 4);
    RegistrationWriteText(HKEY_CLASSES_ROOT, keyPath, "", work);
}

static void RegistrationReadSuffixes(void)
{
    int keyLength = TextLength(setup.keySuffixes);
    for (;;) {
        const char *line = setup.scriptText + setup.scanOffset;
        int length = ScriptScanEntry(line, &setup.keyLength, &setup.valuePtr, &setup.valueLength);
        if (length == 0)
            break;
        if ((setup.keyLength != 0 || setup.valueLength != 0) &&
            TextComparePrefix(line, setup.keySuffixes, keyLength) == 0)
            TextBoundedCopy(setup.suffixList, sizeof setup.suffixList, setup.valuePtr,
                            setup.valueLength);
        setup.scanOffset += length;
    }
}

static void RegistrationWriteSuffixes(void)
{
    const char *cursor = setup.suffixList;
    const char *word;
    int length;
    while (EntryNextSuffix(&cursor, &word, &length) == 0) {
        EntrySuffixKey(setup.ioBuffer, sizeof setup.ioBuffer, word, length);
        RegistrationWriteText(HKEY_CLASSES_ROOT, setup.ioBuffer, "", "txtfile");
    }
}

INT_PTR CALLBACK RegistrationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        WindowStartDialog(dialog, setup.title);
        SendDlgItemMessageA(dialog, IDC_REGISTRATION_SUFFIXES, EM_LIMITTEXT,
                            sizeof setup.suffixList - 1, 0);
        SetDlgItemTextA(dialog, IDC_REGISTRATION_SUFFIXES, setup.suffixList);
        return TRUE;

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDYES:
            GetDlgItemTextA(dialog, IDC_REGISTRATION_SUFFIXES, setup.suffixList,
                            sizeof setup.suffixList);
            EndDialog(dialog, IDYES);
            return TRUE;
        case IDNO:
        case IDCANCEL:
            EndDialog(dialog, IDNO);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

void RegistrationStep(HWND window)
{
    char work[260];
    char uninstallKey[260];

    EntryProgramPath(work, sizeof work, setup.installDir);
    RegistrationWriteText(HKEY_LOCAL_MACHINE,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tavelin.exe",
                          "", work);

    int end = TextBoundedCopy(uninstallKey, sizeof uninstallKey,
                              "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", 52);
    TextBoundedAppend(uninstallKey, sizeof uninstallKey, end, setup.applicationName,
                      TextLength(setup.applicationName));
    RegistrationWriteText(HKEY_LOCAL_MACHINE, uninstallKey, "DisplayName", setup.applicationName);

    char windows[260];
    UINT n = GetWindowsDirectoryA(windows, sizeof windows);
    if (n == 0 || n >= sizeof windows)
        windows[0] = '\0';
    EntryUninstallCommand(work, sizeof work, windows, setup.installDir);
    RegistrationWriteText(HKEY_LOCAL_MACHINE, uninstallKey, "UninstallString", work);

    if (MessageShow(setup.instance, setup.title, setup.mainWindow, IDS_QUESTION_EDITOR,
                    MB_YESNO | MB_ICONQUESTION) == IDYES) {
        EntryEditorCommand(work, sizeof work, setup.installDir, 0);
        RegistrationWriteText(HKEY_CLASSES_ROOT, openCommandKey, "", work);
        EntryEditorCommand(work, sizeof work, setup.installDir, 1);
        RegistrationWriteText(HKEY_CLASSES_ROOT, printCommandKey, "", work);

        if (ScriptFindSection(setup.instance, setup.className, window, setup.sectionRegistration,
                              0, setup.scriptText, &setup.scanOffset) == 0) {
            RegistrationReadSuffixes();
            if (DialogBoxParamA(setup.instance, "Registration", window, RegistrationDialogProc,
                                0) == IDYES)
                RegistrationWriteSuffixes();
        }
    } else {
        RegistrationQuoteArgument(openCommandKey);
        RegistrationQuoteArgument(printCommandKey);
    }
}
