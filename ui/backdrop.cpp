#include <windows.h>

#include "setup/state.h"
#include "ui/backdrop.h"
#include "ui/bmpcheck.h"
#include "util/file.h"
#include "util/message.h"
#include "util/strings.h"
#include "util/text.h"

/* The picture being read, and where its messages go. */
struct BitmapSource {
    HINSTANCE instance;
    const char *caption;
    HWND owner;
    const char *path;
    HANDLE file;
};

static void BitmapTell(const BitmapSource *source, UINT id, UINT icon)
{
    /* the memory messages name the operation, the others the file */
    const char *argument =
        id == IDS_NO_MEMORY || id == IDS_NO_MEMORY_ACCESS ? "GetBitmap" : source->path;
    MessageShowFormatted(source->instance, source->caption, source->owner, id, argument, icon);
}

/* Reads the next size bytes of the file into a new zero-filled movable
   block one byte larger, and locks it; the handle and the pointer are the
   caller's to release, also after a failure. */
static int BitmapReadBlock(const BitmapSource *source, unsigned size, HGLOBAL *memory,
                           unsigned char **bytes)
{
    DWORD read = 0;
    *memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (SIZE_T)size + 1);
    if (*memory == NULL) {
        BitmapTell(source, IDS_NO_MEMORY, MB_ICONERROR);
        return -1;
    }
    *bytes = (unsigned char *)GlobalLock(*memory);
    if (*bytes == NULL) {
        BitmapTell(source, IDS_NO_MEMORY_ACCESS, MB_ICONERROR);
        return -1;
    }
    if (!ReadFile(source->file, *bytes, size, &read, NULL) || read != size) {
        BitmapTell(source, IDS_CANNOT_READ, MB_ICONERROR);
        return -1;
    }
    return 0;
}

HBITMAP LoadBitmapFile(HINSTANCE instance, const char *caption, HWND owner, const char *path,
                       HDC context)
{
    BitmapSource source = { instance, caption, owner, path, INVALID_HANDLE_VALUE };
    HBITMAP bitmap = NULL;
    HGLOBAL infoMemory = NULL;
    HGLOBAL pixelMemory = NULL;
    unsigned char *info = NULL;
    unsigned char *pixels = NULL;
    unsigned char fileHeader[14];
    unsigned offBits = 0;
    unsigned pixelSize = 0;
    long long fileSize = 0;
    DWORD read = 0;

    if (path[0] == '\0')
        return NULL;
    source.file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (source.file == INVALID_HANDLE_VALUE) {
        BitmapTell(&source, IDS_CANNOT_OPEN, MB_ICONERROR);
        return NULL;
    }
    /* A block that the file cannot fill is not allocated: its read would be
       short, and a header's lie could ask for gigabytes. */
    fileSize = FileGetSize(source.file);

    if (!ReadFile(source.file, fileHeader, sizeof fileHeader, &read, NULL) ||
        read != sizeof fileHeader) {
        BitmapTell(&source, IDS_CANNOT_READ, MB_ICONERROR);
        goto done;
    }
    offBits = BitmapRead32(fileHeader + 10);
    /* Headers that make no sense are refused before anything is allocated or
       given to the system. */
    if (BitmapCheckOffset(offBits) != 0) {
        BitmapTell(&source, IDS_NO_BITMAP, MB_ICONINFORMATION);
        goto done;
    }
    if ((long long)offBits > fileSize) {
        BitmapTell(&source, IDS_CANNOT_READ, MB_ICONERROR);
        goto done;
    }
    if (BitmapReadBlock(&source, offBits - 14, &infoMemory, &info) != 0)
        goto done;
    if (BitmapCheckInfo(info, offBits - 14, &pixelSize) != 0) {
        BitmapTell(&source, IDS_NO_BITMAP, MB_ICONINFORMATION);
        goto done;
    }
    if ((long long)pixelSize > fileSize - offBits) {
        BitmapTell(&source, IDS_CANNOT_READ, MB_ICONERROR);
        goto done;
    }
    if (BitmapReadBlock(&source, pixelSize, &pixelMemory, &pixels) != 0)
        goto done;

    CloseHandle(source.file);
    source.file = INVALID_HANDLE_VALUE;
    bitmap = CreateDIBitmap(context, (const BITMAPINFOHEADER *)info, CBM_INIT, pixels,
                            (const BITMAPINFO *)info, DIB_RGB_COLORS);
    if (bitmap == NULL)
        BitmapTell(&source, IDS_NO_BITMAP, MB_ICONINFORMATION);

done:
    if (source.file != INVALID_HANDLE_VALUE)
        CloseHandle(source.file);
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
    char program[SETUP_PATH_CAPACITY];
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
