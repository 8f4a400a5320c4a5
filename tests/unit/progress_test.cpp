#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "resources/ids.h"
#include "setup/messages.h"
#include "setup/state.h"
#include "tests/e2e/support.h"
#include "ui/bar.h"
#include "ui/progress.h"

namespace {

/* The real "Copy" dialog of SETUP.EXE, run by its own procedure in this
   process, over a plain owner window. */
class ProgressDialog : public testing::Test {
protected:
    void SetUp() override
    {
        module = TestSetupModule();
        ASSERT_NE(nullptr, module);
        owner = CreateWindowExA(0, "Static", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                                NULL, NULL, NULL, NULL);
        setup = SetupState();
        setup.barBrush = CreateSolidBrush(RGB(0, 0, 255));
        setup.gapBrush = CreateSolidBrush(RGB(192, 192, 192));
        lstrcpyA(setup.title, kTitle);
        dialog = CreateDialogParamA(module, "Copy", owner, ProgressDialogProc, 0);
        ASSERT_NE(nullptr, dialog);
        Pump();
    }

    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
        DestroyWindow(owner);
        DeleteObject(setup.barBrush);
        DeleteObject(setup.gapBrush);
    }

    void Pump()
    {
        MSG m;
        for (int i = 0; i < 5; i++) {
            while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
                TranslateMessage(&m);
                DispatchMessageA(&m);
            }
            Sleep(10);
        }
    }

    std::string Text(int id)
    {
        char text[256];
        GetDlgItemTextA(dialog, id, text, sizeof text);
        return text;
    }

    void Update(int fileDone, int fileSize, int totalDone, int totalSize)
    {
        setup.fileDone = fileDone;
        setup.fileSize = fileSize;
        setup.totalDone = totalDone;
        setup.totalSize = totalSize;
        SendMessageA(dialog, WM_COMMAND, CMD_PROGRESS_UPDATE, 0);
    }

    int BarWidth(int id)
    {
        RECT r;
        GetClientRect(GetDlgItem(dialog, id), &r);
        return r.right;
    }

    /* One letter per column of the bar's middle row: B blue, K black,
       G grey, W white, ? anything else. */
    std::string Row(int id)
    {
        HWND bar = GetDlgItem(dialog, id);
        RECT r;
        GetClientRect(bar, &r);
        HDC dc = GetDC(bar);
        std::string row;
        for (int x = 0; x < r.right; x++) {
            COLORREF c = GetPixel(dc, x, r.bottom / 2);
            row += c == RGB(0, 0, 255) ? 'B' : c == RGB(0, 0, 0) ? 'K'
                 : c == RGB(192, 192, 192) ? 'G' : c == RGB(255, 255, 255) ? 'W' : '?';
        }
        ReleaseDC(bar, dc);
        return row;
    }

    /* The row that ProgressBarLayout gives for a percentage. */
    static std::string Expected(int percent, int width)
    {
        ProgressBarParts parts;
        ProgressBarLayout((unsigned)percent, width, &parts);
        std::string row(parts.fill < width ? parts.fill : width, 'B');
        row += std::string(parts.blackColumn, 'K') + std::string(parts.greyWidth, 'G');
        return row + std::string(width - (int)row.size(), 'W');
    }

    HMODULE module = NULL;
    HWND owner = NULL;
    HWND dialog = NULL;
};

}  // namespace

TEST_F(ProgressDialog, StartsWithCaptionAndOverallZero)
{
    char caption[128];
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(kTitle, caption);
    EXPECT_EQ("0 %", Text(IDC_PROGRESS_TOTAL_TEXT));
    EXPECT_EQ("", Text(IDC_PROGRESS_FILE_TEXT));
    EXPECT_EQ("", Text(IDC_PROGRESS_FILE_LABEL));
    EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(ProgressDialog, NewFileShowsValueThenKeyAndZero)
{
    lstrcpyA(setup.entryKey, "K");
    lstrcpyA(setup.entryValue, "V;S");
    Update(50, 100, 50, 1000);
    SendMessageA(dialog, WM_COMMAND, CMD_PROGRESS_NEWFILE, 0);
    EXPECT_EQ("V;S : K", Text(IDC_PROGRESS_FILE_LABEL));
    EXPECT_EQ("0 %", Text(IDC_PROGRESS_FILE_TEXT));
}

TEST_F(ProgressDialog, BarPixelsFromZeroToTheEnd)
{
    int width = BarWidth(IDC_PROGRESS_FILE_BAR);
    ASSERT_GT(width, 10);
    /* empty, the middle, the last percentages before full, whose edge lands
       a few columns before the right edge, and full */
    int chosen[] = { 0, 37, 96, 97, 98, 99, 100 };
    for (int percent : chosen) {
        Update(percent, 100, 0, 0);
        EXPECT_EQ(Expected(percent, width), Row(IDC_PROGRESS_FILE_BAR)) << percent << " %";
        EXPECT_EQ(std::to_string(percent) + " %", Text(IDC_PROGRESS_FILE_TEXT));
    }
}

TEST_F(ProgressDialog, OverallMovesOnlyWhenAFileReachesExactly100)
{
    int width = BarWidth(IDC_PROGRESS_TOTAL_BAR);
    std::string untouched = Row(IDC_PROGRESS_TOTAL_BAR);

    Update(99, 100, 600, 1000);
    EXPECT_EQ("0 %", Text(IDC_PROGRESS_TOTAL_TEXT));
    EXPECT_EQ(untouched, Row(IDC_PROGRESS_TOTAL_BAR));

    Update(101, 100, 600, 1000);    /* a file grown since the size pass */
    EXPECT_EQ("101 %", Text(IDC_PROGRESS_FILE_TEXT));
    EXPECT_EQ(std::string(BarWidth(IDC_PROGRESS_FILE_BAR), 'B'), Row(IDC_PROGRESS_FILE_BAR));
    EXPECT_EQ("0 %", Text(IDC_PROGRESS_TOTAL_TEXT));

    Update(0, 0, 600, 1000);        /* an empty file stays at 0 % */
    EXPECT_EQ("0 %", Text(IDC_PROGRESS_FILE_TEXT));
    EXPECT_EQ("0 %", Text(IDC_PROGRESS_TOTAL_TEXT));

    Update(100, 100, 600, 1000);
    EXPECT_EQ("60 %", Text(IDC_PROGRESS_TOTAL_TEXT));
    EXPECT_EQ(Expected(60, width), Row(IDC_PROGRESS_TOTAL_BAR));
}

TEST_F(ProgressDialog, HundredsOfMegabytes)
{
    Update(300 * 1024 * 1024, 400 * 1024 * 1024, 0, 0);
    EXPECT_EQ("75 %", Text(IDC_PROGRESS_FILE_TEXT));
    Update(500 * 1024 * 1024, 500 * 1024 * 1024, 700 * 1024 * 1024, 2000 * 1024 * 1024);
    EXPECT_EQ("35 %", Text(IDC_PROGRESS_TOTAL_TEXT));
}

TEST_F(ProgressDialog, CancelSetsTheFlagAndEscapeDoesNot)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(0, setup.cancelRequested);
    SendMessageA(dialog, WM_COMMAND,
                 MAKEWPARAM(IDC_PROGRESS_CANCEL, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, IDC_PROGRESS_CANCEL));
    EXPECT_EQ(1, setup.cancelRequested);
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_PROGRESS_CANCEL)));
}

TEST_F(ProgressDialog, SamePercentageDrawsAgainAfterTheBarRepaintedItself)
{
    int width = BarWidth(IDC_PROGRESS_FILE_BAR);
    std::string half = Expected(50, width);
    Update(50, 100, 0, 0);
    ASSERT_EQ(half, Row(IDC_PROGRESS_FILE_BAR));

    HWND bar = GetDlgItem(dialog, IDC_PROGRESS_FILE_BAR);
    InvalidateRect(bar, NULL, TRUE);
    UpdateWindow(bar);
    EXPECT_NE(half, Row(IDC_PROGRESS_FILE_BAR)) << "the control's own paint shows its empty face";

    Update(50, 100, 0, 0);
    EXPECT_EQ(half, Row(IDC_PROGRESS_FILE_BAR));
    EXPECT_EQ("50 %", Text(IDC_PROGRESS_FILE_TEXT));
}

TEST_F(ProgressDialog, ASecondDialogIsDrawnInItsOwnControls)
{
    Update(30, 100, 0, 0);
    DestroyWindow(dialog);
    dialog = CreateDialogParamA(module, "Copy", owner, ProgressDialogProc, 0);
    ASSERT_NE(nullptr, dialog);
    Pump();

    Update(30, 100, 0, 0);
    int width = BarWidth(IDC_PROGRESS_FILE_BAR);
    EXPECT_EQ(Expected(30, width), Row(IDC_PROGRESS_FILE_BAR));
    EXPECT_EQ("30 %", Text(IDC_PROGRESS_FILE_TEXT));
    SendMessageA(dialog, WM_COMMAND, CMD_PROGRESS_NEWFILE, 0);
    EXPECT_EQ("0 %", Text(IDC_PROGRESS_FILE_TEXT));
}
