#include "actions/filecopy.h"

#include "script/entry.h"
#include "script/scan.h"
#include "setup/messages.h"
#include "setup/state.h"
#include "util/file.h"
#include "util/message.h"
#include "util/strings.h"
#include "util/text.h"

#define COPY_CHUNK 8192

/* Also run at teardown: the window may be closed in the middle of a file. */
void FileCopyCloseBoth(void)
{
    if (setup.sourceFile != NULL && setup.sourceFile != INVALID_HANDLE_VALUE)
        CloseHandle(setup.sourceFile);
    if (setup.destinationFile != NULL && setup.destinationFile != INVALID_HANDLE_VALUE)
        CloseHandle(setup.destinationFile);
    setup.sourceFile = NULL;
    setup.destinationFile = NULL;
}

static void FileCopyNotify(WPARAM command)
{
    if (setup.progressDialog != NULL)
        SendMessageA(setup.progressDialog, WM_COMMAND, command, 0);
}

/* A box of the copy has just closed. The posted copy steps always come
   before painting, so what the box uncovered would stay as it left it until
   the copy ends, and the activation of its owner, the backdrop, can put the
   backdrop over the progress dialog. So the dialog is put back on top, where
   it has the keyboard again, and the windows are brought up to date now,
   frames included. */
static void FileCopyAfterBox(HWND window)
{
    if (setup.progressDialog != NULL) {
        SetWindowPos(setup.progressDialog, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        RedrawWindow(setup.progressDialog, NULL, NULL,
                     RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
}

static int FileCopyShowBox(HWND window, UINT id, const char *path, UINT flags)
{
    int answer = MessageShowFormatted(setup.instance, setup.className, window, id, path, flags);
    FileCopyAfterBox(window);
    return answer;
}

/* Whether the open destination was there before: only such a file can be
   longer than its source. */
static int destinationExisted;

static HANDLE FileCopyOpenDestination(void)
{
    HANDLE file = CreateFileA(setup.destinationPath, GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    destinationExisted = GetLastError() == ERROR_ALREADY_EXISTS;
    return file == INVALID_HANDLE_VALUE ? NULL : file;
}

/* Windows directory, a backslash unless it already ends with one, and the
   name. A directory too long for destinationPath fails the attempt instead of
   being cut into some other path. */
static HANDLE FileCopyOpenInWindows(const char *name)
{
    UINT n = GetWindowsDirectoryA(setup.destinationPath, sizeof setup.destinationPath);
    if (n == 0 || n > sizeof setup.destinationPath) {
        setup.destinationPath[0] = '\0';
        return NULL;
    }
    if (EntryJoinWindows(setup.destinationPath, sizeof setup.destinationPath, (int)n, name) != 0)
        return NULL;
    return FileCopyOpenDestination();
}

UINT FileCopyNextEntry(HWND window)
{
    setup.scanOffset += setup.lineLength;
    setup.lineLength = ScriptScanEntry(setup.scriptText + setup.scanOffset, &setup.keyLength,
                                       &setup.valuePtr, &setup.valueLength);
    if (setup.lineLength == 0)
        return WM_SETUP_COPY_DONE;
    if (setup.keyLength == 0 && setup.valueLength == 0)
        return WM_SETUP_NEXT_FILE;

    TextBoundedCopy(setup.entryKey, sizeof setup.entryKey, setup.scriptText + setup.scanOffset,
                    setup.keyLength);
    int toWindows = EntryReadFile(setup.valuePtr, setup.valueLength, setup.entryValue,
                                  sizeof setup.entryValue);

    /* The label shows the value whole, ';' and source name included. */
    FileCopyNotify(CMD_PROGRESS_NEWFILE);

    const char *source = EntrySplitFile(setup.entryValue);
    if (TextBoundedAppend(setup.modulePath, sizeof setup.modulePath, setup.directoryLength,
                          source, TextLength(source)) == 0)
        return WM_SETUP_NEXT_FILE;

    setup.sourceFile = CreateFileA(setup.modulePath, GENERIC_READ, FILE_SHARE_READ, NULL,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (setup.sourceFile == INVALID_HANDLE_VALUE) {
        /* Already reported by the size pass at start-up. */
        setup.sourceFile = NULL;
        setup.errorCount++;
        return WM_SETUP_NEXT_FILE;
    }

    if (toWindows) {
        setup.destinationFile = FileCopyOpenInWindows(setup.entryValue);
        if (setup.destinationFile == NULL)
            setup.destinationFile = FileCopyOpenInWindows(setup.entryValue);
    } else {
        EntryJoinPath(setup.destinationPath, sizeof setup.destinationPath, setup.installDir,
                      setup.entryValue);
        if (PathCreateDirectories(setup.instance, setup.className, window,
                                  setup.destinationPath) != 0)
            FileCopyAfterBox(window);
        setup.destinationFile = FileCopyOpenDestination();
    }
    if (setup.destinationFile == NULL) {
        int answer = FileCopyShowBox(window, IDS_CANNOT_OPEN, setup.destinationPath,
                                     MB_OKCANCEL | MB_ICONERROR);
        FileCopyCloseBoth();
        setup.errorCount++;
        return answer == IDCANCEL ? WM_SETUP_FINISH : WM_SETUP_NEXT_FILE;
    }

    setup.fileDone = 0;
    setup.fileSize = FileGetSize(setup.sourceFile);
    FileCopyNotify(CMD_PROGRESS_UPDATE);
    return WM_SETUP_COPY_CHUNK;
}

static void FileCopyFinish(void)
{
    /* An existing destination longer than its source is cut to the source,
       so that the installed file is the source, byte for byte. Cut first:
       cutting would change the times set next. A file made by the open ends
       where the copy stopped writing already; under Wine the cut is a
       server request and a truncation of the file on disk, for each file. */
    if (destinationExisted)
        SetEndOfFile(setup.destinationFile);
    FILETIME created, accessed, written;
    if (GetFileTime(setup.sourceFile, &created, &accessed, &written))
        SetFileTime(setup.destinationFile, &created, &accessed, &written);
    FileCopyCloseBoth();
}

/* A read or a write failed: the file is given up, the copy goes on. */
static UINT FileCopyFail(HWND window, UINT id, const char *path)
{
    FileCopyShowBox(window, id, path, MB_ICONERROR);
    FileCopyCloseBoth();
    setup.errorCount++;
    return WM_SETUP_NEXT_FILE;
}

UINT FileCopyChunk(HWND window)
{
    if (setup.cancelRequested) {
        FileCopyCloseBoth();
        setup.errorCount++;
        return WM_SETUP_COPY_DONE;
    }

    setup.bytesTransferred = 0;
    if (!ReadFile(setup.sourceFile, setup.ioBuffer, COPY_CHUNK, &setup.bytesTransferred, NULL))
        return FileCopyFail(window, IDS_CANNOT_READ, setup.modulePath);

    if (setup.bytesTransferred > 0) {
        DWORD read = setup.bytesTransferred;
        setup.bytesTransferred = 0;
        /* A short write is a failure too: the disk is full. */
        if (!WriteFile(setup.destinationFile, setup.ioBuffer, read, &setup.bytesTransferred,
                       NULL) ||
            setup.bytesTransferred != read) {
            return FileCopyFail(window, IDS_CANNOT_WRITE, setup.destinationPath);
        }
        setup.fileDone += setup.bytesTransferred;
        setup.totalDone += setup.bytesTransferred;
        FileCopyNotify(CMD_PROGRESS_UPDATE);
    }

    if (setup.bytesTransferred == COPY_CHUNK)
        return WM_SETUP_COPY_CHUNK;
    FileCopyFinish();
    return WM_SETUP_NEXT_FILE;
}

int PathCreateDirectories(HINSTANCE instance, const char *caption, HWND owner, char *path)
{
    for (int i = EntryNextDirectory(path, 0); i >= 0; i = EntryNextDirectory(path, i + 1)) {
        path[i] = '\0';
        if (!CreateDirectoryA(path, NULL)) {
            DWORD error = GetLastError();
            if (error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) {
                MessageShowFormatted(instance, caption, owner, IDS_CANNOT_CREATE, path,
                                     MB_OK | MB_ICONERROR);
                path[i] = '\\';
                return -1;
            }
        }
        path[i] = '\\';
    }
    return 0;
}
