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

static void ProgressShowPercent(HWND dialog, int controlId, int percent)
{
    char text[32];
    wsprintfA(text, "%ld %%", (long)percent);
    SetDlgItemTextA(dialog, controlId, text);
}

static void ProgressUpdate(HWND dialog)
{
    int filePercent = ProgressPercent(setup.fileDone, setup.fileSize);
    DrawProgressBar(dialog, IDC_PROGRESS_FILE_BAR, (WORD)(filePercent > 0xFFFF ? 0xFFFF : filePercent));
    ProgressShowPercent(dialog, IDC_PROGRESS_FILE_TEXT, filePercent);
    /* The overall bar moves once per file, when the file reaches 100 %. */
    if (filePercent == 100) {
        int totalPercent = ProgressPercent(setup.totalDone, setup.totalSize);
        DrawProgressBar(dialog, IDC_PROGRESS_TOTAL_BAR,
                        (WORD)(totalPercent > 0xFFFF ? 0xFFFF : totalPercent));
        ProgressShowPercent(dialog, IDC_PROGRESS_TOTAL_TEXT, totalPercent);
    }
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        WindowCenterOver(GetParent(dialog), dialog);
        SetWindowTextA(dialog, setup.title);
        SetDlgItemTextA(dialog, IDC_PROGRESS_TOTAL_TEXT, "0 %");
        return TRUE;

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case CMD_PROGRESS_NEWFILE:
            wsprintfA(setup.ioBuffer, "%s : %s", setup.entryValue, setup.entryKey);
            SetDlgItemTextA(dialog, IDC_PROGRESS_FILE_LABEL, setup.ioBuffer);
            SetDlgItemTextA(dialog, IDC_PROGRESS_FILE_TEXT, "0 %");
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
