/* Script bytes walked through every section and entry as the program does:
   settings by key prefix into 128-byte fields, file entries split at '%' and
   the last ';' into a 260-byte path, shortcut fields by ',' and suffixes by
   blanks. The fixed buffers are heap blocks of their exact size, so a write
   one byte too far is caught. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "script/scan.h"
#include "util/text.h"

static const char *const sections[] = { "Installer", "Fichiers", "Groupe", "Enregistrement", "" };
static const char *const keys[] = { "Bitmap", "Application", "Titre", "R\xE9pertoire", "Suffixes" };

static void Entry(const char *line, int keyLength, const char *value, int valueLength)
{
    char *key = (char *)malloc(128);
    char *field = (char *)malloc(128);
    char *path = (char *)malloc(260);
    char *token = (char *)malloc(260);

    TextBoundedCopy(key, 128, line, keyLength);
    for (const char *name : keys)
        if (TextComparePrefix(line, name, TextLength(name)) == 0)
            TextBoundedCopy(field, 128, value, valueLength);

    if (valueLength > 0 && value[0] == '%') {
        value++;
        valueLength--;
    }
    TextBoundedCopy(field, 128, value, valueLength);
    char *split = strrchr(field, ';');
    const char *source = field;
    if (split != NULL) {
        *split = '\0';
        source = split + 1;
    }
    int end = TextBoundedCopy(path, 260, "C:\\DISTRIB\\SETUP.INF", 20);
    int drive, directory, extension;
    PathSplit(path, &drive, &directory, &extension);
    end = TextBoundedAppend(path, 260, directory, source, TextLength(source));
    end = TextBoundedAppend(path, 260, end, "\\", 1);
    TextBoundedAppend(path, 260, end, field, TextLength(field));
    PathSplit(path, &drive, &directory, &extension);

    TextBoundedCopy(field, 128, value, valueLength);
    const char *cursor = field;
    for (int i = 0; i < 3; i++)
        TextNextToken(&cursor, token + i * 50, 260 - i * 50, ',');
    TextToInteger(cursor);

    for (const char *p = field; *p != '\0';) {
        while (*p == ' ' || *p == '\t')
            p++;
        const char *start = p;
        while (*p != '\0' && *p != ' ' && *p != '\t')
            p++;
        int n = TextBoundedCopy(token, 260, ".", 1);
        TextBoundedAppend(token, 260, n, start, (int)(p - start));
    }

    free(key);
    free(field);
    free(path);
    free(token);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    char *text = (char *)malloc(size + 1);
    memcpy(text, data, size);
    text[size] = '\0';
    for (const char *name : sections) {
        int offset = -1;
        if (ScriptSeekSection(text, name, &offset) != 0)
            continue;
        for (;;) {
            int keyLength = 0, valueLength = 0;
            const char *value = NULL;
            int length = ScriptScanEntry(text + offset, &keyLength, &value, &valueLength);
            if (length == 0)
                break;
            if (keyLength != 0 || valueLength != 0) {
                if (value == NULL || value < text || value + valueLength > text + size)
                    abort();
                Entry(text + offset, keyLength, value, valueLength);
            }
            offset += length;
        }
    }
    free(text);
    return 0;
}
