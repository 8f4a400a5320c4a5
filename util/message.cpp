#include "util/message.h"

#include "util/capacity.h"
#include "util/text.h"

int MessageShow(HINSTANCE instance, const char *caption, HWND owner, UINT id, UINT flags)
{
    char text[512];
    if (LoadStringA(instance, id, text, sizeof text) <= 0)
        text[0] = '\0';
    return MessageBoxA(owner, text, caption, flags);
}

int MessageShowFormatted(HINSTANCE instance, const char *caption, HWND owner, UINT id,
                         const char *argument, UINT flags)
{
    char format[256];
    char text[512];
    char shortened[SETUP_PATH_CAPACITY];
    if (LoadStringA(instance, id, format, sizeof format) <= 0)
        format[0] = '\0';
    /* Every format is below 160 characters; the argument is cut to 259 so
       that wsprintfA, which knows no capacity, stays within its 1024-byte
       limit and our 512 bytes. */
    TextBoundedCopy(shortened, sizeof shortened, argument, TextLength(argument));
    wsprintfA(text, format, shortened);
    return MessageBoxA(owner, text, caption, flags);
}
