#ifndef TAVELIN_ACTIONS_FILECOPY_H
#define TAVELIN_ACTIONS_FILECOPY_H

#include <windows.h>

void FileCopyNextEntry(HWND window);
void FileCopyChunk(HWND window);
void FileCopyCloseBoth(void);
int PathCreateDirectories(HINSTANCE instance, const char *caption, HWND owner, char *path);

#endif
