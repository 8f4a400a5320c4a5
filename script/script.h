#ifndef TAVELIN_SCRIPT_SCRIPT_H
#define TAVELIN_SCRIPT_SCRIPT_H

#include <windows.h>

#include "script/scan.h"

int ScriptLoad(HINSTANCE instance, const char *caption, HWND owner, const char *path,
               HGLOBAL *memory, char **text);
int ScriptFindSection(HINSTANCE instance, const char *caption, HWND owner, const char *name,
                      int reportMissing, const char *text, int *scanOffset);

#endif
