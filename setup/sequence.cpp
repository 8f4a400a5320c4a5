#include "setup/sequence.h"

#include "actions/filecopy.h"
#include "actions/registration.h"
#include "actions/shortcut.h"
#include "resources/ids.h"
#include "script/script.h"
#include "setup/messages.h"
#include "setup/state.h"
#include "ui/backdrop.h"
#include "ui/directory.h"
#include "ui/progress.h"
#include "util/message.h"
#include "util/strings.h"

/* Shared by the finishing step and the window's destruction; the picture
   handle is cleared so that a window destroyed while the closing message is
   shown does not delete it twice. */
static void SequenceQuit(void)
{
    if (setup.backdropBitmap != NULL)
        DeleteObject(setup.backdropBitmap);
    setup.backdropBitmap = NULL;
    PostQuitMessage(0);
}

static void SequenceStart(HWND window)
{
    if (DialogBoxParamA(setup.instance, "Directory", window, DirectoryDialogProc, 0) ==
        IDC_DIRECTORY_CANCEL) {
        DestroyWindow(window);
        return;
    }
    if (ScriptFindSection(setup.instance, setup.className, window, setup.sectionFiles, 1,
                          setup.scriptText, &setup.scanOffset) != 0) {
        PostMessageA(window, WM_SETUP_FINISH, 0, 0);
        setup.errorCount++;
        return;
    }
    setup.progressDialog = CreateDialogParamA(setup.instance, "Copy", window, ProgressDialogProc, 0);
    setup.cancelRequested = 0;
    setup.totalDone = 0;
    setup.lineLength = 0;
    PostMessageA(window, WM_SETUP_NEXT_FILE, 0, 0);
}

static void SequenceCopyDone(HWND window)
{
    if (setup.progressDialog != NULL)
        DestroyWindow(setup.progressDialog);
    setup.progressDialog = NULL;
    PostMessageA(window, setup.cancelRequested ? WM_SETUP_FINISH : WM_SETUP_SHORTCUTS, 0, 0);
}

static void SequenceFinish(void)
{
    UINT id = IDS_FINISH_SUCCESS;
    if (setup.cancelRequested)
        id = IDS_FINISH_CANCELLED;
    else if (setup.errorCount != 0)
        id = IDS_FINISH_INCOMPLETE;
    MessageShowFormatted(setup.instance, setup.title, setup.mainWindow, id, setup.applicationName,
                         MB_ICONINFORMATION);
    SequenceQuit();
}

/* Registration, and the finishing step at once, in the same message. */
static void SequenceRegisterAndFinish(HWND window)
{
    RegistrationStep(window);
    SequenceFinish();
}

/* The order of the installation is decided here alone: every step does its
   work and returns, and the step that follows is posted here, or run at
   once where the installation goes straight on. */
LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        BackdropCreate(window);
        break;
    case WM_SIZE:
        BackdropSize(lParam);
        break;
    case WM_PAINT:
        if (setup.backdropBitmap == NULL)
            break;
        BackdropPaint(window);
        return 0;
    case WM_ERASEBKGND:
        if (setup.backdropBitmap != NULL)
            return 0;
        break;
    case WM_NCHITTEST:
        /* While the copy runs, mouse input over the backdrop is dropped at
           once. Left queued, it would wait behind the posted copy steps, and
           Wine hands such a message to the progress dialog's filtered peek,
           which puts it back: three more server round trips per chunk. */
        if (setup.progressDialog != NULL)
            return HTTRANSPARENT;
        break;
    case WM_DESTROY:
        SequenceQuit();
        return 0;
    case WM_SETUP_START:
        SequenceStart(window);
        return 0;
    case WM_SETUP_NEXT_FILE:
        PostMessageA(window, FileCopyNextEntry(window), 0, 0);
        return 0;
    case WM_SETUP_COPY_CHUNK:
        PostMessageA(window, FileCopyChunk(window), 0, 0);
        return 0;
    case WM_SETUP_COPY_DONE:
        SequenceCopyDone(window);
        return 0;
    case WM_SETUP_SHORTCUTS:
        /* without a Programs folder, registration at once */
        if (ShortcutsStep(window) == 0)
            PostMessageA(window, WM_SETUP_REGISTER, 0, 0);
        else
            SequenceRegisterAndFinish(window);
        return 0;
    case WM_SETUP_REGISTER:
        SequenceRegisterAndFinish(window);
        return 0;
    case WM_SETUP_FINISH:
        SequenceFinish();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
