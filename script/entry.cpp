#include "script/entry.h"

#include <string.h>

#include "util/text.h"

int EntryReadFile(const char *value, int valueLength, char *entryValue, int capacity)
{
    int toWindows = valueLength > 0 && value[0] == '%';
    if (toWindows) {
        value++;
        valueLength--;
    }
    TextBoundedCopy(entryValue, capacity, value, valueLength);
    return toWindows;
}

const char *EntrySplitFile(char *entryValue)
{
    char *split = strrchr(entryValue, ';');
    if (split == 0)
        return entryValue;
    *split = '\0';
    return split + 1;
}

int EntryJoinPath(char *path, int capacity, const char *folder, const char *name)
{
    int end = TextBoundedCopy(path, capacity, folder, TextLength(folder));
    end = TextBoundedAppend(path, capacity, end, "\\", 1);
    return TextBoundedAppend(path, capacity, end, name, TextLength(name));
}

int EntryJoinWindows(char *path, int capacity, int end, const char *name)
{
    if (end > 0 && path[end - 1] != '\\')
        end = TextBoundedAppend(path, capacity, end, "\\", 1);
    int nameLength = TextLength(name);
    int wanted = end + nameLength;
    TextBoundedAppend(path, capacity, end, name, nameLength);
    return wanted > capacity - 1 ? -1 : 0;
}

int EntryNextDirectory(const char *path, int position)
{
    int n = TextLength(path);
    for (int i = position < 3 ? 3 : position; i < n; i++) {
        if (path[i] == '\\')
            return i;
    }
    return -1;
}

int EntrySplitShortcut(const char *entryValue, EntryShortcut *fields)
{
    const char *cursor = entryValue;
    TextNextToken(&cursor, fields->target, sizeof fields->target, ',');
    TextNextToken(&cursor, fields->description, sizeof fields->description, ',');
    /* Only a '%' right after the second comma counts. */
    fields->iconInInstallDir = *cursor == '%';
    if (fields->iconInInstallDir)
        cursor++;
    TextNextToken(&cursor, fields->iconFile, sizeof fields->iconFile, ',');
    fields->iconIndex = TextToInteger(cursor);
    return (int)(cursor - entryValue);
}

void EntryShortcutPaths(const EntryShortcut *fields, const char *installDir, char *target,
                        int targetCapacity, char *icon, int iconCapacity)
{
    EntryJoinPath(target, targetCapacity, installDir, fields->target);
    if (fields->iconInInstallDir)
        EntryJoinPath(icon, iconCapacity, installDir, fields->iconFile);
    else
        TextBoundedCopy(icon, iconCapacity, fields->iconFile, TextLength(fields->iconFile));
}

int EntryNextSuffix(const char **cursor, const char **word, int *length)
{
    const char *p = *cursor;
    while (*p == ' ' || *p == '\t')
        p++;
    *cursor = p;
    if (*p == '\0')
        return -1;
    while (*p != '\0' && *p != ' ' && *p != '\t')
        p++;
    *word = *cursor;
    *length = (int)(p - *cursor);
    *cursor = p;
    return 0;
}
