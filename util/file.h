#ifndef TAVELIN_UTIL_FILE_H
#define TAVELIN_UTIL_FILE_H

#include <windows.h>

/* The size of an open file, found by seeking to its end and back. */
long long FileGetSize(HANDLE file);
/* The current drive: 1 for A: and so on, 0 when the current directory has
   no drive letter. */
int PathCurrentDrive(void);

#endif
