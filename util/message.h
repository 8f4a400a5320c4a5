#ifndef TAVELIN_UTIL_MESSAGE_H
#define TAVELIN_UTIL_MESSAGE_H

#include <windows.h>

/* Message boxes whose text is a resource string, formatted with one argument. */
int MessageShow(HINSTANCE instance, const char *caption, HWND owner, UINT id, UINT flags);
int MessageShowFormatted(HINSTANCE instance, const char *caption, HWND owner, UINT id,
                         const char *argument, UINT flags);

#endif
