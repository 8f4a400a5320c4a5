#include <windows.h>

#include "resources/ids.h"
#include "setup/messages.h"
#include "setup/state.h"
#include "ui/bar.h"
#include "ui/progress.h"
#include "util/window.h"

/* What the dialog shows now, so that an update that would not change a
   pixel or a character is skipped: a 32 MiB file is 4096 chunks but only 101
   percentages. -1 means unknown: the next update draws. A bar control that
   repaints itself for any other reason shows its empty frame again, so its
   paint marks it unknown. Index 0 is the file, 1 the overall figure. The
   controls' handles are taken once, when the dialog is made: under Wine each
   look-up of a control by its number is a server round trip. */
static int shownBar[2] = { -1, -1 };
static int shownText[2] = { -1, -1 };
static HWND watchedDialog;
static HWND barControl[2];
static HWND textControl[2];
static HWND labelControl;
static WNDPROC barProc;

static int ProgressSlot(int controlId)
{
    return controlId == IDC_PROGRESS_FILE_BAR || controlId == IDC_PROGRESS_FILE_TEXT ? 0 : 1;
}

void DrawProgressBar(HWND dialog, WORD controlId, WORD percentage)
{
    HWND control = dialog == watchedDialog ? barControl[ProgressSlot(controlId)]
                                           : GetDlgItem(dialog, controlId);
    RECT client;
    GetClientRect(control, &client);
    int width = client.right;
    int height = client.bottom;

    ProgressBarParts parts;
    ProgressBarLayout(percentage, width, &parts);

    HDC context = GetDC(control);
    HGDIOBJ kept = SelectObject(context, setup.barBrush);
    PatBlt(context, 0, 0, parts.fill, height, PATCOPY);
    if (parts.blackColumn)
        PatBlt(context, parts.fill, 0, 1, height, BLACKNESS);
    SelectObject(context, setup.gapBrush);
    if (parts.greyWidth > 0)
        PatBlt(context, parts.fill + 1, 0, parts.greyWidth, height, PATCOPY);
    if (parts.whiteStart < width)
        PatBlt(context, parts.whiteStart, 0, width - parts.whiteStart, height, WHITENESS);
    SelectObject(context, kept);
    ReleaseDC(control, context);
}

static LRESULT CALLBACK ProgressBarProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallWindowProcA(barProc, control, message, wParam, lParam);
    if (message == WM_PAINT || message == WM_PRINTCLIENT)
        shownBar[ProgressSlot(GetDlgCtrlID(control))] = -1;
    return result;
}

static void ProgressShowBar(HWND dialog, int controlId, int percent)
{
    int clipped = percent > 0xFFFF ? 0xFFFF : percent;
    int slot = ProgressSlot(controlId);
    if (shownBar[slot] == clipped)
        return;
    DrawProgressBar(dialog, (WORD)controlId, (WORD)clipped);
    shownBar[slot] = clipped;
}

static void ProgressShowPercent(int controlId, int percent)
{
    int slot = ProgressSlot(controlId);
    if (shownText[slot] == percent)
        return;
    char text[32];
    wsprintfA(text, "%ld %%", (long)percent);
    SetWindowTextA(textControl[slot], text);
    shownText[slot] = percent;
}

static void ProgressUpdate(HWND dialog)
{
    int filePercent = ProgressPercent(setup.fileDone, setup.fileSize);
    ProgressShowBar(dialog, IDC_PROGRESS_FILE_BAR, filePercent);
    ProgressShowPercent(IDC_PROGRESS_FILE_TEXT, filePercent);
    /* The overall bar moves once per file, when the file reaches 100 %. */
    if (filePercent == 100) {
        int totalPercent = ProgressPercent(setup.totalDone, setup.totalSize);
        ProgressShowBar(dialog, IDC_PROGRESS_TOTAL_BAR, totalPercent);
        ProgressShowPercent(IDC_PROGRESS_TOTAL_TEXT, totalPercent);
    }
}

/* A new dialog: nothing is known to be shown, and its controls are looked up
   once. */
static void ProgressWatchBars(HWND dialog)
{
    const int bars[] = { IDC_PROGRESS_FILE_BAR, IDC_PROGRESS_TOTAL_BAR };
    const int texts[] = { IDC_PROGRESS_FILE_TEXT, IDC_PROGRESS_TOTAL_TEXT };
    for (int i = 0; i < 2; i++) {
        shownBar[i] = -1;
        shownText[i] = -1;
        barControl[i] = GetDlgItem(dialog, bars[i]);
        textControl[i] = GetDlgItem(dialog, texts[i]);
        barProc = (WNDPROC)SetWindowLongPtrA(barControl[i], GWLP_WNDPROC,
                                             (LONG_PTR)ProgressBarProc);
    }
    labelControl = GetDlgItem(dialog, IDC_PROGRESS_FILE_LABEL);
    watchedDialog = dialog;
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        WindowStartDialog(dialog, setup.title);
        ProgressWatchBars(dialog);
        ProgressShowPercent(IDC_PROGRESS_TOTAL_TEXT, 0);
        return TRUE;

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case CMD_PROGRESS_NEWFILE:
            wsprintfA(setup.ioBuffer, "%s : %s", setup.entryValue, setup.entryKey);
            SetWindowTextA(labelControl, setup.ioBuffer);
            ProgressShowPercent(IDC_PROGRESS_FILE_TEXT, 0);
            return TRUE;
        case CMD_PROGRESS_UPDATE:
            ProgressUpdate(dialog);
            return TRUE;
        case IDC_PROGRESS_CANCEL:
            setup.cancelRequested = 1;
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
