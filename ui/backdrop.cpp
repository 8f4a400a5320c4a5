#include <windows.h>

#include "setup/state.h"
#include "ui/bmpcheck.h"
#include "ui/dialogs.h"
#include "util/message.h"
#include "util/strings.h"
#include "util/text.h"

HBITMAP LoadBitmapFile(HINSTANCE instance, const char *caption, HWND owner, const char *path,
                       HDC context)
{
    HBITMAP bitmap = NULL;
    HGLOBAL infoMemory = NULL;
    HGLOBAL pixelMemory = NULL;
    unsigned char *info = NULL;
    unsigned char *pixels = NULL;
    unsigned char fileHeader[14];
    unsigned infoSize = 0;
    unsigned pixelSize = 0;
    long long fileSize = 0;
    DWORD read = 0;

    if (path[0] == '\0')
        return NULL;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        MessageShowFormatted(instance, caption, owner, IDS_CANNOT_OPEN, path, MB_ICONERROR);
        return NULL;
    }
    /* A block that the file cannot fill is not allocated: its read would be
       short, and a header's lie could ask for gigabytes. */
    fileSize = FileGetSize(file);

    if (!ReadFile(file, fileHeader, sizeof fileHeader, &read, NULL) || read != sizeof fileHeader) {
        MessageShowFormatted(instance, caption, owner, IDS_CANNOT_READ, path, MB_ICONERROR);
        goto done;
    }
    {
        unsigned offBits = (unsigned)fileHeader[10] | (unsigned)fileHeader[11] << 8 |
                           (unsigned)fileHeader[12] << 16 | (unsigned)fileHeader[13] << 24;
        /* Headers that make no sense are refused before anything is
           allocated or given to the system. */
        if (BitmapCheckOffset(offBits) != 0) {
            MessageShowFormatted(instance, caption, owner, IDS_NO_BITMAP, path,
                                 MB_ICONINFORMATION);
            goto done;
        }
        infoSize = offBits - 14;
        if ((long long)offBits > fileSize) {
            MessageShowFormatted(instance, caption, owner, IDS_CANNOT_READ, path, MB_ICONERROR);
            goto done;
        }
    }

    infoMemory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, infoSize + 1);
    if (infoMemory == NULL) {
        MessageShowFormatted(instance, caption, owner, IDS_NO_MEMORY, "GetBitmap", MB_ICONERROR);
        goto done;
    }
    info = (unsigned char *)GlobalLock(infoMemory);
    if (info == NULL) {
        MessageShowFormatted(instance, caption, owner, IDS_NO_MEMORY_ACCESS, "GetBitmap",
                             MB_ICONERROR);
        goto done;
    }
    if (!ReadFile(file, info, infoSize, &read, NULL) || read != infoSize) {
        MessageShowFormatted(instance, caption, owner, IDS_CANNOT_READ, path, MB_ICONERROR);
        goto done;
    }
    if (BitmapCheckInfo(info, infoSize, &pixelSize) != 0) {
        MessageShowFormatted(instance, caption, owner, IDS_NO_BITMAP, path, MB_ICONINFORMATION);
        goto done;
    }
    if ((long long)pixelSize > fileSize - 14 - infoSize) {
        MessageShowFormatted(instance, caption, owner, IDS_CANNOT_READ, path, MB_ICONERROR);
        goto done;
    }

    pixelMemory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, pixelSize + 1);
    if (pixelMemory == NULL) {
        MessageShowFormatted(instance, caption, owner, IDS_NO_MEMORY, "GetBitmap", MB_ICONERROR);
        goto done;
    }
    pixels = (unsigned char *)GlobalLock(pixelMemory);
    if (pixels == NULL) {
        MessageShowFormatted(instance, caption, owner, IDS_NO_MEMORY_ACCESS, "GetBitmap",
                             MB_ICONERROR);
        goto done;
    }
    if (!ReadFile(file, pixels, pixelSize, &read, NULL) || read != pixelSize) {
        MessageShowFormatted(instance, caption, owner, IDS_CANNOT_READ, path, MB_ICONERROR);
        goto done;
    }

    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
    bitmap = CreateDIBitmap(context, (const BITMAPINFOHEADER *)info, CBM_INIT, pixels,
                            (const BITMAPINFO *)info, DIB_RGB_COLORS);
    if (bitmap == NULL)
        MessageShowFormatted(instance, caption, owner, IDS_NO_BITMAP, path, MB_ICONINFORMATION);

done:
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (pixels != NULL)
        GlobalUnlock(pixelMemory);
    if (pixelMemory != NULL)
        GlobalFree(pixelMemory);
    if (info != NULL)
        GlobalUnlock(infoMemory);
    if (infoMemory != NULL)
        GlobalFree(infoMemory);
    return bitmap;
}

void BackdropCreate(HWND window)
{
    if (setup.bitmapName[0] == '\0')
        return;
    /* The picture lies in the program's directory. The program's path is
       split here into locals: the split fields of the state build the source
       paths of the copy and stay as start-up set them. A path that does not
       fit bitmapPath skips the picture rather than naming another file. */
    char program[260];
    DWORD n = GetModuleFileNameA(NULL, program, sizeof program);
    if (n == 0 || n >= sizeof program)
        return;
    program[n] = '\0';
    int drive, directory, extension;
    PathSplit(program, &drive, &directory, &extension);
    int nameLength = TextLength(setup.bitmapName);
    if (directory + nameLength > (int)sizeof setup.bitmapPath - 1)
        return;
    int end = TextBoundedCopy(setup.bitmapPath, sizeof setup.bitmapPath, program, directory);
    TextBoundedAppend(setup.bitmapPath, sizeof setup.bitmapPath, end, setup.bitmapName, nameLength);

    HDC context = GetDC(window);
    setup.backdropBitmap = LoadBitmapFile(setup.instance, setup.className, window, setup.bitmapPath,
                                          context);
    ReleaseDC(window, context);
}

void BackdropSize(LPARAM lParam)
{
    setup.clientWidth = LOWORD(lParam);
    setup.clientHeight = HIWORD(lParam);
}

void BackdropPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC context = BeginPaint(window, &paint);
    HDC memory = CreateCompatibleDC(context);
    HGDIOBJ kept = SelectObject(memory, setup.backdropBitmap);
    BITMAP picture;
    GetObjectA(setup.backdropBitmap, sizeof picture, &picture);
    if (picture.bmWidth > 0 && picture.bmHeight > 0) {
        for (int x = 0; x < setup.clientWidth; x += picture.bmWidth)
            for (int y = 0; y < setup.clientHeight; y += picture.bmHeight)
                BitBlt(context, x, y, picture.bmWidth, picture.bmHeight, memory, 0, 0, SRCCOPY);
    }
    SelectObject(memory, kept);
    DeleteDC(memory);
    EndPaint(window, &paint);
}
