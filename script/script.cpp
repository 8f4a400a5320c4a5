#include "script/script.h"

#include "util/file.h"
#include "util/message.h"
#include "util/strings.h"

int ScriptLoad(HINSTANCE instance, const char *caption, HWND owner, const char *path,
               HGLOBAL *memory, char **text)
{
    int result = -1;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        MessageShowFormatted(instance, caption, owner, IDS_CANNOT_OPEN, path, MB_ICONERROR);
        return -1;
    }

    long long size = FileGetSize(file);
    DWORD read = 0;
    /* The block is one byte larger than the file: the zero of the zero-filled
       block terminates the text. A file of 2 GiB or more is one that no
       single read takes; it fails as the allocation of its block would. */
    *memory = size >= 0 && size < 0x7fffffffLL
                  ? GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (SIZE_T)size + 1)
                  : NULL;
    if (*memory == NULL) {
        MessageShowFormatted(instance, caption, owner, IDS_NO_MEMORY, "FileRead", MB_ICONERROR);
        goto done;
    }
    *text = (char *)GlobalLock(*memory);
    if (*text == NULL) {
        GlobalFree(*memory);
        *memory = NULL;
        MessageShowFormatted(instance, caption, owner, IDS_NO_MEMORY_ACCESS, "FileRead",
                             MB_ICONERROR);
        goto done;
    }
    if (!ReadFile(file, *text, (DWORD)size, &read, NULL) || read != (DWORD)size) {
        MessageShowFormatted(instance, caption, owner, IDS_CANNOT_READ, path, MB_ICONERROR);
        goto done;
    }
    result = 0;

done:
    CloseHandle(file);
    return result;
}

int ScriptFindSection(HINSTANCE instance, const char *caption, HWND owner, const char *name,
                      int reportMissing, const char *text, int *scanOffset)
{
    if (ScriptSeekSection(text, name, scanOffset) == 0)
        return 0;
    if (reportMissing)
        MessageShowFormatted(instance, caption, owner, IDS_NO_SECTION, name,
                             MB_ICONINFORMATION);
    return -1;
}
