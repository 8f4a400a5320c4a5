#include <windows.h>

#include "actions/filecopy.h"
#include "script/entry.h"
#include "script/script.h"
#include "setup/messages.h"
#include "setup/sequence.h"
#include "setup/state.h"
#include "util/file.h"
#include "util/message.h"
#include "util/strings.h"
#include "util/text.h"

/* Exit code of a run that ends before the message loop: no script, no
   settings or file section, or no window. */
#define EXIT_STARTUP_FAILED 1

/* Only the system directory is searched for DLLs, so that DLLs planted beside
   SETUP.EXE in a download folder are never loaded. Looked up at run time:
   older systems without the update have no such function. */
static void StartupRestrictDllSearch(void)
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesFunction restrictSearch = NULL;
    if (kernel != NULL)
        restrictSearch = (SetDefaultDllDirectoriesFunction)(void (*)(void))GetProcAddress(
            kernel, "SetDefaultDllDirectories");
    if (restrictSearch != NULL)
        restrictSearch(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryA("");
}

static void StartupLoadStrings(void)
{
    char *const names[] = { setup.sectionFiles, setup.sectionGroup, setup.sectionSettings,
                            setup.sectionRegistration, setup.keyBitmap, setup.keyApplication,
                            setup.keyTitle, setup.keyDirectory, setup.keySuffixes };
    static const UINT nameIds[] = { IDS_SECTION_FILES, IDS_SECTION_GROUP, IDS_SECTION_SETTINGS,
                                    IDS_SECTION_REGISTRATION, IDS_KEY_BITMAP, IDS_KEY_APPLICATION,
                                    IDS_KEY_TITLE, IDS_KEY_DIRECTORY, IDS_KEY_SUFFIXES };
    LoadStringA(setup.instance, IDS_CLASS_NAME, setup.className, sizeof setup.className);
    LoadStringA(setup.instance, IDS_DIRECTORY_PROMPT, setup.directoryPrompt,
                sizeof setup.directoryPrompt);
    LoadStringA(setup.instance, IDS_SIZE_FORMAT, setup.sizeFormat, sizeof setup.sizeFormat);
    for (int i = 0; i < (int)(sizeof nameIds / sizeof nameIds[0]); i++)
        LoadStringA(setup.instance, nameIds[i], names[i], SETUP_NAME_CAPACITY);
}

static void StartupRegisterClass(void)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = BackdropWindowProc;
    windowClass.hInstance = setup.instance;
    /* Looked up under the class name, which names no icon of ours (the group
       is "INSTALL"): the class keeps the system's default icon. */
    windowClass.hIcon = LoadIconA(setup.instance, setup.className);
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_APPWORKSPACE + 1);
    windowClass.lpszClassName = setup.className;
    RegisterClassA(&windowClass);
}

/* The script lies beside the program under its name, with ".INF" in place of
   the extension; a name without any '.' gets ".INF" appended. */
static void StartupBuildScriptPath(void)
{
    DWORD n = GetModuleFileNameA(NULL, setup.modulePath, sizeof setup.modulePath);
    if (n >= sizeof setup.modulePath)
        n = sizeof setup.modulePath - 1;
    setup.modulePath[n] = '\0';
    PathSplit(setup.modulePath, &setup.drivePrefixLength, &setup.directoryLength,
              &setup.extensionOffset);
    int at = setup.extensionOffset > 0 ? setup.extensionOffset : TextLength(setup.modulePath);
    TextBoundedAppend(setup.modulePath, sizeof setup.modulePath, at, ".INF", 4);
}

static int StartupFindSection(const char *name)
{
    return ScriptFindSection(setup.instance, setup.className, NULL, name, 1, setup.scriptText,
                             &setup.scanOffset);
}

static void StartupReadSettings(void)
{
    struct {
        const char *key;
        char *field;
    } keys[] = {
        { setup.keyBitmap, setup.bitmapName },
        { setup.keyApplication, setup.applicationName },
        { setup.keyTitle, setup.title },
        { setup.keyDirectory, setup.installDir },
    };
    for (;;) {
        const char *line = setup.scriptText + setup.scanOffset;
        int length = ScriptScanEntry(line, &setup.keyLength, &setup.valuePtr, &setup.valueLength);
        if (length == 0)
            break;
        /* An indented key never matches, "Titre2" counts as "Titre". */
        for (const auto &k : keys) {
            if (ScriptKeyMatches(line, k.key))
                TextBoundedCopy(k.field, SETUP_TEXT_CAPACITY, setup.valuePtr, setup.valueLength);
        }
        setup.scanOffset += length;
    }
}

static void StartupMeasureFiles(void)
{
    setup.errorCount = 0;
    setup.totalSize = 0;
    for (;;) {
        const char *line = setup.scriptText + setup.scanOffset;
        int length = ScriptScanEntry(line, &setup.keyLength, &setup.valuePtr, &setup.valueLength);
        if (length == 0)
            break;
        setup.scanOffset += length;
        if (setup.keyLength == 0 && setup.valueLength == 0)
            continue;

        EntryReadFile(setup.valuePtr, setup.valueLength, setup.entryValue,
                      sizeof setup.entryValue);
        const char *source = EntrySplitFile(setup.entryValue);
        int end = TextBoundedAppend(setup.modulePath, sizeof setup.modulePath,
                                    setup.directoryLength, source, TextLength(source));
        if (end == 0)
            continue;

        setup.sourceFile = CreateFileA(setup.modulePath, GENERIC_READ, FILE_SHARE_READ, NULL,
                                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        if (setup.sourceFile == INVALID_HANDLE_VALUE) {
            MessageShowFormatted(setup.instance, setup.className, NULL, IDS_CANNOT_OPEN,
                                 setup.modulePath, MB_ICONINFORMATION);
            setup.errorCount++;
        } else {
            long long size = FileGetSize(setup.sourceFile);
            if (size > 0)
                setup.totalSize += size;
            CloseHandle(setup.sourceFile);
        }
        setup.sourceFile = NULL;
    }
}

static void RunMessageLoop(int *exitCode)
{
    MSG message;
    for (;;) {
        /* The progress dialog's own messages go first, and only to its
           keyboard handling, so Cancel is seen before the next chunk. The
           quit message comes out of this filtered peek too: the closing
           message may be shown while the dialog is still open, and the quit
           posted then must still end the loop. */
        while (setup.progressDialog != NULL &&
               PeekMessageA(&message, setup.progressDialog, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                *exitCode = (int)message.wParam;
                return;
            }
            IsDialogMessageA(setup.progressDialog, &message);
        }

        BOOL got = GetMessageA(&message, NULL, 0, 0);
        if (got == 0 || got == -1)
            break;
        if (setup.progressDialog != NULL && IsDialogMessageA(setup.progressDialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    *exitCode = (int)message.wParam;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)commandLine;
    (void)show;
    int exitCode = EXIT_STARTUP_FAILED;

    StartupRestrictDllSearch();
    setup.instance = instance;
    StartupLoadStrings();
    StartupRegisterClass();
    StartupBuildScriptPath();

    if (ScriptLoad(setup.instance, setup.className, NULL, setup.modulePath, &setup.scriptMemory,
                   &setup.scriptText) != 0)
        goto done;
    if (StartupFindSection(setup.sectionSettings) != 0)
        goto done;
    StartupReadSettings();
    if (StartupFindSection(setup.sectionFiles) != 0)
        goto done;
    StartupMeasureFiles();

    setup.barBrush = CreateSolidBrush(RGB(0, 0, 255));
    setup.gapBrush = CreateSolidBrush(RGB(192, 192, 192));

    setup.mainWindow = CreateWindowExA(0, setup.className, setup.className,
                                       WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                       GetSystemMetrics(SM_CXSCREEN),
                                       GetSystemMetrics(SM_CYSCREEN), NULL, NULL,
                                       setup.instance, NULL);
    if (setup.mainWindow == NULL)
        goto done;
    SetWindowTextA(setup.mainWindow, setup.title);
    ShowWindow(setup.mainWindow, SW_SHOW);
    PostMessageA(setup.mainWindow, WM_SETUP_START, 0, 0);

    RunMessageLoop(&exitCode);

done:
    FileCopyCloseBoth();
    if (setup.barBrush != NULL)
        DeleteObject(setup.barBrush);
    if (setup.gapBrush != NULL)
        DeleteObject(setup.gapBrush);
    UnregisterClassA(setup.className, setup.instance);
    if (setup.scriptMemory != NULL) {
        GlobalUnlock(setup.scriptMemory);
        GlobalFree(setup.scriptMemory);
    }
    return exitCode;
}
