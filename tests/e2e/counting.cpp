/* Linked into the test build of SETUP.EXE only. Wine keeps no count of a
   process's GDI objects or handles, so this counts them itself: before
   WinMain it points the program's own import entries for the functions that
   make and release GDI objects, registry keys and COM initialisations at
   counting versions, and at the process's end it writes what is still held
   and made to the file named by TAV_COUNTS, one "held|made name count" line
   each. The shell's SHChangeNotify, which the program looks up with
   GetProcAddress, is counted the same way: the notifications that
   associations changed, and the registry keys opened after the last one.
   It can also make COM refuse to start (TAV_COM_REFUSE). */
#include <windows.h>
#include <shlobj.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

LONG brushes, memoryDcs, bitmaps, deletedObjects, deletedDcs;
LONG windowDcs, paints, keys, closedKeys, comInits, comUninits;
LONG notifications, otherNotifications, keysAtNotification;

decltype(&CreateSolidBrush) realCreateSolidBrush;
decltype(&CreateCompatibleDC) realCreateCompatibleDC;
decltype(&CreateDIBitmap) realCreateDIBitmap;
decltype(&DeleteObject) realDeleteObject;
decltype(&DeleteDC) realDeleteDC;
decltype(&GetDC) realGetDC;
decltype(&ReleaseDC) realReleaseDC;
decltype(&BeginPaint) realBeginPaint;
decltype(&EndPaint) realEndPaint;
decltype(&RegCreateKeyExA) realRegCreateKeyExA;
decltype(&RegOpenKeyExA) realRegOpenKeyExA;
decltype(&RegCloseKey) realRegCloseKey;
decltype(&CoInitialize) realCoInitialize;
decltype(&CoUninitialize) realCoUninitialize;
decltype(&GetProcAddress) realGetProcAddress;
typedef void(WINAPI *ChangeNotifyFunction)(LONG, UINT, LPCVOID, LPCVOID);
ChangeNotifyFunction realSHChangeNotify;

/* What a real function gave, counted when it is not null (or not FALSE). */
template <typename T> T Count(T made, LONG *count)
{
    if (made)
        InterlockedIncrement(count);
    return made;
}

HBRUSH WINAPI CountCreateSolidBrush(COLORREF color)
{
    return Count(realCreateSolidBrush(color), &brushes);
}

HDC WINAPI CountCreateCompatibleDC(HDC dc)
{
    return Count(realCreateCompatibleDC(dc), &memoryDcs);
}

HBITMAP WINAPI CountCreateDIBitmap(HDC dc, const BITMAPINFOHEADER *header, DWORD init,
                                   const void *bits, const BITMAPINFO *info, UINT usage)
{
    return Count(realCreateDIBitmap(dc, header, init, bits, info, usage), &bitmaps);
}

BOOL WINAPI CountDeleteObject(HGDIOBJ object)
{
    return Count(realDeleteObject(object), &deletedObjects);
}

BOOL WINAPI CountDeleteDC(HDC dc)
{
    return Count(realDeleteDC(dc), &deletedDcs);
}

HDC WINAPI CountGetDC(HWND window)
{
    return Count(realGetDC(window), &windowDcs);
}

int WINAPI CountReleaseDC(HWND window, HDC dc)
{
    int done = realReleaseDC(window, dc);
    if (done)
        InterlockedDecrement(&windowDcs);
    return done;
}

HDC WINAPI CountBeginPaint(HWND window, PAINTSTRUCT *paint)
{
    return Count(realBeginPaint(window, paint), &paints);
}

BOOL WINAPI CountEndPaint(HWND window, const PAINTSTRUCT *paint)
{
    InterlockedDecrement(&paints);
    return realEndPaint(window, paint);
}

LSTATUS WINAPI CountRegCreateKeyExA(HKEY key, LPCSTR name, DWORD reserved, LPSTR className,
                                    DWORD options, REGSAM access,
                                    LPSECURITY_ATTRIBUTES security, PHKEY made,
                                    LPDWORD disposition)
{
    LSTATUS status = realRegCreateKeyExA(key, name, reserved, className, options, access,
                                         security, made, disposition);
    Count(status == ERROR_SUCCESS, &keys);
    return status;
}

LSTATUS WINAPI CountRegOpenKeyExA(HKEY key, LPCSTR name, DWORD options, REGSAM access,
                                  PHKEY opened)
{
    LSTATUS status = realRegOpenKeyExA(key, name, options, access, opened);
    Count(status == ERROR_SUCCESS, &keys);
    return status;
}

/* Closing a root key (HKEY_LOCAL_MACHINE and the like) closes nothing: only
   keys that were opened count. */
LSTATUS WINAPI CountRegCloseKey(HKEY key)
{
    LSTATUS status = realRegCloseKey(key);
    bool root = ((DWORD)(ULONG_PTR)key & 0xFFFFFF00u) == 0x80000000u;
    Count(status == ERROR_SUCCESS && !root, &closedKeys);
    return status;
}

/* S_OK and S_FALSE both ask for a matching CoUninitialize. With
   TAV_COM_REFUSE set, COM refuses to start, as when memory runs out. */
HRESULT WINAPI CountCoInitialize(LPVOID reserved)
{
    if (GetEnvironmentVariableA("TAV_COM_REFUSE", NULL, 0) != 0)
        return E_OUTOFMEMORY;
    HRESULT result = realCoInitialize(reserved);
    Count(SUCCEEDED(result), &comInits);
    return result;
}

void WINAPI CountCoUninitialize(void)
{
    InterlockedIncrement(&comUninits);
    realCoUninitialize();
}

/* The one notification Windows asks for after associations change; any
   other is counted apart. */
void WINAPI CountSHChangeNotify(LONG event, UINT flags, LPCVOID one, LPCVOID two)
{
    if (event == SHCNE_ASSOCCHANGED && flags == SHCNF_IDLIST && one == NULL && two == NULL)
        InterlockedIncrement(&notifications);
    else
        InterlockedIncrement(&otherNotifications);
    keysAtNotification = keys;
    realSHChangeNotify(event, flags, one, two);
}

FARPROC WINAPI CountGetProcAddress(HMODULE module, LPCSTR name)
{
    FARPROC found = realGetProcAddress(module, name);
    if (found == NULL || IS_INTRESOURCE(name) || strcmp(name, "SHChangeNotify") != 0)
        return found;
    realSHChangeNotify = (ChangeNotifyFunction)(void (*)(void))found;
    return (FARPROC)(void (*)(void))CountSHChangeNotify;
}

struct Patch {
    const char *name;
    void *counter;
    void **real;
};

#define PATCH(f) { #f, (void *)Count##f, (void **)&real##f }
const Patch kPatches[] = {
    PATCH(CreateSolidBrush), PATCH(CreateCompatibleDC), PATCH(CreateDIBitmap),
    PATCH(DeleteObject),     PATCH(DeleteDC),           PATCH(GetDC),
    PATCH(ReleaseDC),        PATCH(BeginPaint),         PATCH(EndPaint),
    PATCH(RegCreateKeyExA),  PATCH(RegOpenKeyExA),      PATCH(RegCloseKey),
    PATCH(CoInitialize),     PATCH(CoUninitialize),     PATCH(GetProcAddress),
};
#undef PATCH

/* Walks the program's import descriptors and swaps each named entry. */
void PatchImports(void)
{
    BYTE *base = (BYTE *)GetModuleHandleA(NULL);
    IMAGE_NT_HEADERS *nt = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0)
        return;
    for (IMAGE_IMPORT_DESCRIPTOR *d = (IMAGE_IMPORT_DESCRIPTOR *)(base + directory.VirtualAddress);
         d->Name != 0; d++) {
        if (d->OriginalFirstThunk == 0)
            continue;
        IMAGE_THUNK_DATA *names = (IMAGE_THUNK_DATA *)(base + d->OriginalFirstThunk);
        IMAGE_THUNK_DATA *slots = (IMAGE_THUNK_DATA *)(base + d->FirstThunk);
        for (; names->u1.AddressOfData != 0; names++, slots++) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const char *name =
                (const char *)((IMAGE_IMPORT_BY_NAME *)(base + names->u1.AddressOfData))->Name;
            for (const Patch &p : kPatches) {
                if (strcmp(name, p.name) != 0)
                    continue;
                DWORD kept;
                if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function,
                                    PAGE_READWRITE, &kept))
                    break;
                *p.real = (void *)slots->u1.Function;
                slots->u1.Function = (ULONG_PTR)p.counter;
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, kept, &kept);
                break;
            }
        }
    }
}

void WriteCounts(void)
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("TAV_COUNTS", path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return;
    FILE *out = fopen(path, "w");
    if (out == NULL)
        return;
    fprintf(out, "held gdi-objects %ld\n", brushes + bitmaps - deletedObjects);
    fprintf(out, "held memory-dcs %ld\n", memoryDcs - deletedDcs);
    fprintf(out, "held window-dcs %ld\n", windowDcs);
    fprintf(out, "held paints %ld\n", paints);
    fprintf(out, "held registry-keys %ld\n", keys - closedKeys);
    fprintf(out, "held com %ld\n", comInits - comUninits);
    fprintf(out, "made gdi-objects %ld\n", brushes + bitmaps);
    fprintf(out, "made memory-dcs %ld\n", memoryDcs);
    fprintf(out, "made registry-keys %ld\n", keys);
    fprintf(out, "made com %ld\n", comInits);
    fprintf(out, "made shell-notifications %ld\n", notifications);
    fprintf(out, "made other-shell-notifications %ld\n", otherNotifications);
    if (notifications + otherNotifications > 0)
        fprintf(out, "made registry-keys-after-notification %ld\n", keys - keysAtNotification);
    fclose(out);
}

struct Counting {
    Counting()
    {
        PatchImports();
        atexit(WriteCounts);
    }
} counting;

}  // namespace
