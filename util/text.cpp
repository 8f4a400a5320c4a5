#include "util/text.h"

#include <string.h>

int TextComparePrefix(const char *a, const char *b, int count)
{
    /* A zero byte does not stop the comparison: callers pass a key name as b
       and its length as count, so every byte of b compared is non-zero. */
    for (int i = 0; i < count; i++) {
        signed char x = (signed char)a[i];
        signed char y = (signed char)b[i];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

int TextBoundedCopy(char *destination, int capacity, const char *source, int count)
{
    if (capacity < 1)
        return 0;
    int n = count < capacity - 1 ? count : capacity - 1;
    if (n < 0)
        n = 0;
    if (n > 0)
        memmove(destination, source, (size_t)n);
    destination[n] = '\0';
    return n;
}

int TextBoundedAppend(char *destination, int capacity, int position,
                      const char *source, int count)
{
    if (position < 0 || position > capacity - 1)
        return position;
    return position + TextBoundedCopy(destination + position, capacity - position,
                                      source, count);
}

void TextNextToken(const char **cursor, char *output, int capacity, char separator)
{
    const char *p = *cursor;
    int stored = 0;
    while (*p != '\0' && *p != separator) {
        if (stored < capacity - 1)
            output[stored++] = *p;
        p++;
    }
    if (*p == separator)
        p++;
    if (capacity >= 1)
        output[stored] = '\0';
    *cursor = p;
}

int TextLength(const char *text)
{
    size_t n = strlen(text);
    return n > 0x7fffffff ? 0x7fffffff : (int)n;
}

int TextToInteger(const char *text)
{
    /* Leading white space, one sign, then decimal digits up to the first other
       character; no digits gives 0. Saturates instead of overflowing. */
    const char *p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
        p++;
    int negative = 0;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        p++;
    }
    long long value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value <= 0x80000000LL)
            value = value * 10 + (*p - '0');
        p++;
    }
    if (negative)
        value = -value;
    if (value > 0x7fffffffLL)
        value = 0x7fffffffLL;
    if (value < -0x7fffffffLL - 1)
        value = -0x7fffffffLL - 1;
    return (int)value;
}

void PathSplit(const char *path, int *drivePrefixLength, int *directoryLength,
               int *extensionOffset)
{
    int drive = (path[0] != '\0' && path[1] == ':') ? 2 : 0;
    int directory = drive;
    int extension = 0;
    for (int i = drive; path[i] != '\0'; i++) {
        if (path[i] == '\\') {
            directory = i + 1;
            extension = 0; /* a '.' in a directory name does not count */
        } else if (path[i] == '.') {
            extension = i;
        }
    }
    *drivePrefixLength = drive;
    *directoryLength = directory;
    *extensionOffset = extension;
}
