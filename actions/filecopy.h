#ifndef TAVELIN_ACTIONS_FILECOPY_H
#define TAVELIN_ACTIONS_FILECOPY_H

#include <windows.h>

/* WM_SETUP_NEXT_FILE and WM_SETUP_COPY_CHUNK: each does its part of the copy
   and returns the private message of the step that follows, for the
   sequence to post. */
UINT FileCopyNextEntry(HWND window);
UINT FileCopyChunk(HWND window);
void FileCopyCloseBoth(void);
int PathCreateDirectories(HINSTANCE instance, const char *caption, HWND owner, char *path);

#endif
