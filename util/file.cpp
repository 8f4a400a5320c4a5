#include "util/file.h"

#include "util/capacity.h"

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
    char directory[SETUP_PATH_CAPACITY];
    DWORD n = GetCurrentDirectoryA(sizeof directory, directory);
    if (n == 0 || n >= sizeof directory || directory[1] != ':')
        return 0;
    char letter = directory[0];
    if (letter >= 'a' && letter <= 'z')
        letter = (char)(letter - 'a' + 'A');
    return letter - 64;
}
