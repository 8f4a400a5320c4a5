#include "actions/registrationrows.h"

#include "script/entry.h"
#include "util/text.h"

static const char appPathKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" PRODUCT_PROGRAM;
static const char uninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
static const char openCommandKey[] = "txtfile\\shell\\open\\command";
static const char printCommandKey[] = "txtfile\\shell\\print\\command";

const char *const registrationCommandKeys[2] = { openCommandKey, printCommandKey };

static void RegistrationCopy(char *text, const char *source)
{
    TextBoundedCopy(text, SETUP_PATH_CAPACITY, source, TextLength(source));
}

/* The program's path is quoted: unquoted, a directory under
   "C:\Program Files" would make Windows try "C:\Program.exe" first. */
static void RegistrationEditorCommand(char *work, const char *installDir, const char *arguments)
{
    int end = TextBoundedCopy(work, SETUP_PATH_CAPACITY, "\"", 1);
    end = TextBoundedAppend(work, SETUP_PATH_CAPACITY, end, installDir, TextLength(installDir));
    end = TextBoundedAppend(work, SETUP_PATH_CAPACITY, end, "\\", 1);
    end = TextBoundedAppend(work, SETUP_PATH_CAPACITY, end, PRODUCT_PROGRAM,
                            TextLength(PRODUCT_PROGRAM));
    TextBoundedAppend(work, SETUP_PATH_CAPACITY, end, arguments, TextLength(arguments));
}

static void RegistrationUninstallCommand(char *work, const char *windowsDirectory,
                                         const char *installDir)
{
    static const char uninstaller[] = "\\" PRODUCT_UNINSTALLER " /";
    int end = TextBoundedCopy(work, SETUP_PATH_CAPACITY, windowsDirectory,
                              TextLength(windowsDirectory));
    end = TextBoundedAppend(work, SETUP_PATH_CAPACITY, end, uninstaller, TextLength(uninstaller));
    TextBoundedAppend(work, SETUP_PATH_CAPACITY, end, installDir, TextLength(installDir));
}

void RegistrationComposeRow(int id, const RegistrationTexts *texts, RegistrationRow *row)
{
    row->root = id < ROW_OPEN_COMMAND ? REGISTRATION_LOCAL_MACHINE : REGISTRATION_CLASSES_ROOT;
    row->valueName = "";
    switch (id) {
    case ROW_APP_PATH:
        RegistrationCopy(row->key, appPathKey);
        EntryJoinPath(row->data, SETUP_PATH_CAPACITY, texts->installDir, PRODUCT_PROGRAM);
        break;
    case ROW_DISPLAY_NAME:
    case ROW_UNINSTALL_STRING: {
        /* An empty name gives the Uninstall key itself, a backslash in it
           keys below it. */
        int end = TextBoundedCopy(row->key, SETUP_PATH_CAPACITY, uninstallKey,
                                  TextLength(uninstallKey));
        TextBoundedAppend(row->key, SETUP_PATH_CAPACITY, end, texts->applicationName,
                          TextLength(texts->applicationName));
        if (id == ROW_DISPLAY_NAME) {
            row->valueName = "DisplayName";
            RegistrationCopy(row->data, texts->applicationName);
        } else {
            row->valueName = "UninstallString";
            RegistrationUninstallCommand(row->data, texts->windowsDirectory, texts->installDir);
        }
        break;
    }
    case ROW_OPEN_COMMAND:
        RegistrationCopy(row->key, openCommandKey);
        RegistrationEditorCommand(row->data, texts->installDir, "\" \"%1\"");
        break;
    default:
        RegistrationCopy(row->key, printCommandKey);
        RegistrationEditorCommand(row->data, texts->installDir, "\" /p \"%1\"");
        break;
    }
}

void RegistrationComposeSuffix(const char *word, int length, RegistrationRow *row)
{
    row->root = REGISTRATION_CLASSES_ROOT;
    int end = TextBoundedCopy(row->key, SETUP_PATH_CAPACITY, ".", 1);
    TextBoundedAppend(row->key, SETUP_PATH_CAPACITY, end, word, length);
    row->valueName = "";
    RegistrationCopy(row->data, "txtfile");
}
