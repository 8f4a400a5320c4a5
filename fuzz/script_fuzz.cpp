/* Script bytes walked through every section and entry with the program's own
   rules: settings by key prefix into 128-byte fields, file entries read and
   split by the entry rules and joined into 260-byte paths, shortcut fields,
   suffix words and the registry rows. The fixed buffers are heap blocks
   of their exact size, so a write one byte too far is caught. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "actions/registrationrows.h"
#include "script/entry.h"
#include "script/scan.h"
#include "util/text.h"

static const char *const sections[] = { "Installer", "Fichiers", "Groupe", "Enregistrement", "" };
static const char *const keys[] = { "Bitmap", "Application", "Titre", "R\xE9pertoire", "Suffixes" };

static void Entry(const char *line, int keyLength, const char *value, int valueLength)
{
    char *key = (char *)malloc(SETUP_TEXT_CAPACITY);
    char *field = (char *)malloc(SETUP_TEXT_CAPACITY);
    char *path = (char *)malloc(SETUP_PATH_CAPACITY);
    char *other = (char *)malloc(SETUP_PATH_CAPACITY);
    EntryShortcut *shortcut = (EntryShortcut *)malloc(sizeof *shortcut);
    RegistrationRow *row = (RegistrationRow *)malloc(sizeof *row);

    TextBoundedCopy(key, SETUP_TEXT_CAPACITY, line, keyLength);
    for (const char *name : keys)
        if (TextComparePrefix(line, name, TextLength(name)) == 0)
            TextBoundedCopy(field, SETUP_TEXT_CAPACITY, value, valueLength);

    /* Fichiers: the source beside the program, the destination in the
       installation directory (the value itself stands for it) and in the
       Windows directory. */
    int toWindows = EntryReadFile(value, valueLength, field, SETUP_TEXT_CAPACITY);
    const char *source = EntrySplitFile(field);
    int end = TextBoundedCopy(path, SETUP_PATH_CAPACITY, "C:\\DISTRIB\\SETUP.INF", 20);
    int drive, directory, extension;
    PathSplit(path, &drive, &directory, &extension);
    TextBoundedAppend(path, SETUP_PATH_CAPACITY, directory, source, TextLength(source));
    EntryJoinPath(other, SETUP_PATH_CAPACITY, key, field);
    for (int i = EntryNextDirectory(other, 0); i >= 0; i = EntryNextDirectory(other, i + 1))
        if (other[i] != '\\')
            abort();
    end = TextBoundedCopy(path, SETUP_PATH_CAPACITY, key, TextLength(key));
    if (EntryJoinWindows(path, SETUP_PATH_CAPACITY, end, toWindows ? source : field) == 0 &&
        TextLength(path) > SETUP_PATH_CAPACITY - 1)
        abort();

    /* Groupe and the registry rows, the key standing for installDir, the
       value for the product's name and the Windows directory. */
    TextBoundedCopy(field, SETUP_TEXT_CAPACITY, value, valueLength);
    int index = EntrySplitShortcut(field, shortcut);
    if (index < 0 || index > TextLength(field))
        abort();
    EntryShortcutPaths(shortcut, key, path, SETUP_PATH_CAPACITY, other, SETUP_PATH_CAPACITY);
    RegistrationTexts texts = { key, field, field };
    for (int id = 0; id < ROW_COUNT; id++)
        RegistrationComposeRow(id, &texts, row);

    /* Suffixes */
    const char *cursor = field;
    const char *word;
    int length;
    while (EntryNextSuffix(&cursor, &word, &length) == 0) {
        if (length < 1 || word < field || word + length > field + TextLength(field))
            abort();
        RegistrationComposeSuffix(word, length, row);
    }

    free(key);
    free(field);
    free(path);
    free(other);
    free(shortcut);
    free(row);
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
