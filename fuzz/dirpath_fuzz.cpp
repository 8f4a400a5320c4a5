/* A typed directory and a current directory, normalised into the 128 bytes
   of installDir (a heap block of exactly that size). */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "ui/dirpath.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    /* first byte: drive number and whether the current directory is known;
       then typed text and current directory separated by a zero byte */
    int drive = data[0] % 28;
    int known = data[0] & 0x80;
    char *typed = (char *)malloc(size);
    memcpy(typed, data + 1, size - 1);
    typed[size - 1] = '\0';
    const char *current = known ? typed + strlen(typed) + 1 : NULL;
    if (current != NULL && current > typed + size - 1)
        current = typed + size - 1;
    char *result = (char *)malloc(128);
    DirectoryNormalise(typed, current, drive, result, 128);
    if (memchr(result, '\0', 128) == NULL)
        abort();
    free(result);
    free(typed);
    return 0;
}
