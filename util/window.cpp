#include "util/window.h"

void WindowCenterOver(HWND reference, HWND window)
{
    RECT outer;
    RECT inner;
    GetWindowRect(reference, &outer);
    GetWindowRect(window, &inner);
    int w = inner.right - inner.left;
    int h = inner.bottom - inner.top;
    int x = outer.left + (outer.right - w - outer.left) / 2;
    int y = outer.top + (outer.bottom - h - outer.top) / 2;
    if (x <= 0)
        x = 0;
    if (x + w > GetSystemMetrics(SM_CXSCREEN))
        x = GetSystemMetrics(SM_CXSCREEN) - w;
    if (y <= 0)
        y = 0;
    if (y + h > GetSystemMetrics(SM_CYSCREEN))
        y = GetSystemMetrics(SM_CYSCREEN) - h;
    MoveWindow(window, x, y, w, h, TRUE);
}

void WindowStartDialog(HWND dialog, const char *caption)
{
    WindowCenterOver(GetParent(dialog), dialog);
    SetWindowTextA(dialog, caption);
}
