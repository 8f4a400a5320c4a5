#include <windows.h>

#include "resources/ids.h"
#include "setup/messages.h"
#include "setup/state.h"
#include "ui/bar.h"
#include "ui/dialogs.h"
#include "util/message.h"

void DrawProgressBar(HWND dialog, WORD controlId, WORD percentage)
{
    HWND control = GetDlgItem(dialog, controlId);
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

/* What the dialog shows now, so that an update that would not change a
   pixel or a character is skipped: a 32 MiB file is 4096 chunks but only 101
   percentages. -1 means unknown: the next update draws. A bar control that
   repaints itself for any other reason shows its empty frame again, so its
   paint marks it unknown. Index 0 is the file, 1 the overall figure. */
static int shownBar[2] = { -1, -1 };
static int shownText[2] = { -1, -1 };
static WNDPROC barProc;

static int ProgressSlot(int controlId)
{
    return controlId == IDC_PROGRESS_FILE_BAR || controlId == IDC_PROGRESS_FILE_TEXT ? 0 : 1;
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
    if (shownBar[ProgressSlot(controlId)] == clipped)
        return;
    DrawProgressBar(dialog, (WORD)controlId, (WORD)clipped);
    shownBar[ProgressSlot(controlId)] = clipped;
}

static void ProgressShowPercent(HWND dialog, int controlId, int percent)
{
    if (shownText[ProgressSlot(controlId)] == percent)
        return;
    char text[32];
    wsprintfA(text, "%ld %%", (long)percent);
    SetDlgItemTextA(dialog, controlId, text);
    shownText[ProgressSlot(controlId)] = percent;
}

static void ProgressUpdate(HWND dialog)
{
    int filePercent = ProgressPercent(setup.fileDone, setup.fileSize);
    ProgressShowBar(dialog, IDC_PROGRESS_FILE_BAR, filePercent);
    ProgressShowPercent(dialog, IDC_PROGRESS_FILE_TEXT, filePercent);
    /* The overall bar moves once per file, when the file reaches 100 %. */
    if (filePercent == 100) {
        int totalPercent = ProgressPercent(setup.totalDone, setup.totalSize);
        ProgressShowBar(dialog, IDC_PROGRESS_TOTAL_BAR, totalPercent);
        ProgressShowPercent(dialog, IDC_PROGRESS_TOTAL_TEXT, totalPercent);
    }
}

static void ProgressWatchBars(HWND dialog)
{
    for (int i = 0; i < 2; i++) {
        shownBar[i] = -1;
        shownText[i] = -1;
    }
    const int bars[] = { IDC_PROGRESS_FILE_BAR, IDC_PROGRESS_TOTAL_BAR };
    for (int id : bars)
        barProc = (WNDPROC)SetWindowLongPtrA(GetDlgItem(dialog, id), GWLP_WNDPROC,
                                             (LONG_PTR)ProgressBarProc);
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        WindowCenterOver(GetParent(dialog), dialog);
        SetWindowTextA(dialog, setup.title);
        ProgressWatchBars(dialog);
        ProgressShowPercent(dialog, IDC_PROGRESS_TOTAL_TEXT, 0);
        return TRUE;

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case CMD_PROGRESS_NEWFILE:
            wsprintfA(setup.ioBuffer, "%s : %s", setup.entryValue, setup.entryKey);
            SetDlgItemTextA(dialog, IDC_PROGRESS_FILE_LABEL, setup.ioBuffer);
            ProgressShowPercent(dialog, IDC_PROGRESS_FILE_TEXT, 0);
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
