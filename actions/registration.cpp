#include "actions/registration.h"

#include <shlobj.h>

#include "actions/registrationrows.h"
#include "actions/registry.h"
#include "resources/ids.h"
#include "script/entry.h"
#include "script/script.h"
#include "setup/state.h"
#include "util/message.h"
#include "util/strings.h"
#include "util/text.h"
#include "util/window.h"

/* 1 when the value was written, else 0. */
static int RegistrationWriteText(HKEY root, const char *keyPath, const char *valueName,
                                 const char *text)
{
    return RegistryWriteValue(root, keyPath, valueName, REG_SZ, text,
                              (DWORD)TextLength(text) + 1) == 0;
}

static int RegistrationWriteRow(const RegistrationRow *row)
{
    HKEY root = row->root == REGISTRATION_LOCAL_MACHINE ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT;
    return RegistrationWriteText(root, row->key, row->valueName, row->data);
}

/* The rows from first to end, in their order; how many were written. */
static int RegistrationWriteRows(const RegistrationTexts *texts, int first, int end)
{
    RegistrationRow row;
    int written = 0;
    for (int id = first; id < end; id++) {
        RegistrationComposeRow(id, texts, &row);
        written += RegistrationWriteRow(&row);
    }
    return written;
}

/* Quotes the final %1 of an existing command. A command whose quoted form
   would not fit the work text is left alone rather than stored cut. 1 when
   the command was written back. */
static int RegistrationQuoteArgument(const char *keyPath)
{
    char work[SETUP_PATH_CAPACITY];
    if (RegistryReadValue(HKEY_CLASSES_ROOT, keyPath, "", work, sizeof work) != 0)
        return 0;
    int n = TextLength(work);
    if (n < 2 || work[n - 2] != '%' || work[n - 1] != '1' || n + 2 > (int)sizeof work - 1)
        return 0;
    TextBoundedAppend(work, sizeof work, n - 2, "\"%1\"", 4);
    return RegistrationWriteText(HKEY_CLASSES_ROOT, keyPath, "", work);
}

/* Tells the shell that file associations changed, as Windows asks of every
   program that changes them, so that Explorer shows the new icons and
   commands at once. The function is looked up in the system directory's
   shell32 when the time comes: importing it would load shell32 and what it
   loads at start-up, before the DLL search is restricted. shell32 stays
   loaded to the end of the program, a moment later: a notification may
   leave work of the shell's own behind. */
static void RegistrationNotifyShell(void)
{
    typedef void(WINAPI * ChangeNotifyFunction)(LONG, UINT, LPCVOID, LPCVOID);
    static const char name[] = "\\shell32.dll";
    char path[SETUP_PATH_CAPACITY];
    UINT n = GetSystemDirectoryA(path, sizeof path);
    if (n == 0 || n + sizeof name > sizeof path)
        return;
    TextBoundedAppend(path, sizeof path, (int)n, name, (int)sizeof name - 1);
    HMODULE shell = LoadLibraryA(path);
    if (shell == NULL)
        return;
    ChangeNotifyFunction notify =
        (ChangeNotifyFunction)(void (*)(void))GetProcAddress(shell, "SHChangeNotify");
    if (notify != NULL)
        notify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, NULL, NULL);
}

static void RegistrationReadSuffixes(void)
{
    for (;;) {
        const char *line = setup.scriptText + setup.scanOffset;
        int length = ScriptScanEntry(line, &setup.keyLength, &setup.valuePtr, &setup.valueLength);
        if (length == 0)
            break;
        if ((setup.keyLength != 0 || setup.valueLength != 0) &&
            ScriptKeyMatches(line, setup.keySuffixes))
            TextBoundedCopy(setup.suffixList, sizeof setup.suffixList, setup.valuePtr,
                            setup.valueLength);
        setup.scanOffset += length;
    }
}

/* How many suffixes were written. */
static int RegistrationWriteSuffixes(void)
{
    const char *cursor = setup.suffixList;
    const char *word;
    int length;
    RegistrationRow row;
    int written = 0;
    while (EntryNextSuffix(&cursor, &word, &length) == 0) {
        RegistrationComposeSuffix(word, length, &row);
        written += RegistrationWriteRow(&row);
    }
    return written;
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
    char windows[SETUP_PATH_CAPACITY];
    UINT n = GetWindowsDirectoryA(windows, sizeof windows);
    if (n == 0 || n >= sizeof windows)
        windows[0] = '\0';
    RegistrationTexts texts = { setup.installDir, setup.applicationName, windows };
    RegistrationWriteRows(&texts, 0, ROW_OPEN_COMMAND);

    /* the text-file commands and suffixes written */
    int associations = 0;
    if (MessageShow(setup.instance, setup.title, setup.mainWindow, IDS_QUESTION_EDITOR,
                    MB_YESNO | MB_ICONQUESTION) == IDYES) {
        associations += RegistrationWriteRows(&texts, ROW_OPEN_COMMAND, ROW_COUNT);
        if (ScriptFindSection(setup.instance, setup.className, window, setup.sectionRegistration,
                              0, setup.scriptText, &setup.scanOffset) == 0) {
            RegistrationReadSuffixes();
            if (DialogBoxParamA(setup.instance, "Registration", window, RegistrationDialogProc,
                                0) == IDYES)
                associations += RegistrationWriteSuffixes();
        }
    } else {
        for (const char *key : registrationCommandKeys)
            associations += RegistrationQuoteArgument(key);
    }
    if (associations > 0)
        RegistrationNotifyShell();
}
