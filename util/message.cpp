#include "util/message.h"

#include "util/text.h"

int MessageShow(HINSTANCE instance, const char *caption, HWND owner, UINT id, UINT flags)
{
    char text[512];
    if (LoadStringA(instance, id, text, sizeof text) <= 0)
        text[0] = '\0';
    return MessageBoxA(owner, text, caption, flags);
}

int MessageShowFormatted(HINSTANCE instance, const char *caption, HWND owner, UINT id,
                         const char *argument, UINT flags)
{
    char format[256];
    char text[512];
    char shortened[260];
    if (LoadStringA(instance, id, format, sizeof format) <= 0)
        format[0] = '\0';
    /* Every format is below 160 characters; the argument is cut to 259 so
       that wsprintfA, which knows no capacity, stays within its 1024-byte
       limit and our 512 bytes. */
    TextBoundedCopy(shortened, sizeof shortened, argument, TextLength(argument));
    wsprintfA(text, format, shortened);
    return MessageBoxA(owner, text, caption, flags);
}

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

/* In 64 bits, so that a source of 2 GiB or more is measured whole; -1 when
   a seek fails. */
long long FileGetSize(HANDLE file)
{
    LARGE_INTEGER zero = {};
    LARGE_INTEGER here, end;
    if (!SetFilePointerEx(file, zero, &here, FILE_CURRENT))
        return -1;
    if (!SetFilePointerEx(file, zero, &end, FILE_END))
        return -1;
    SetFilePointerEx(file, here, NULL, FILE_BEGIN);
    return end.QuadPart;
}

int PathCurrentDrive(void)
{
    char directory[260];
    DWORD n = GetCurrentDirectoryA(sizeof directory, directory);
    if (n == 0 || n >= sizeof directory || directory[1] != ':')
        return 0;
    char letter = directory[0];
    if (letter >= 'a' && letter <= 'z')
        letter = (char)(letter - 'a' + 'A');
    return letter - 64;
}
