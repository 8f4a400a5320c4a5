/* The lines of a section as the program's scanner delimits them. */
#include "tools/checker/sections.h"

#include <string.h>

#include "script/scan.h"

bool EntryLine::IsBlanksOnly() const
{
    for (int i = 0; i < contentLength; i++) {
        if (line[i] != ' ' && line[i] != '\t')
            return false;
    }
    return contentLength > 0;
}

int SectionReadLine(const ScriptFile &file, size_t offset, EntryLine *entry)
{
    const char *line = file.text.c_str() + offset;
    int keyLength = 0, valueLength = 0;
    const char *value = nullptr;
    int length = ScriptScanEntry(line, &keyLength, &value, &valueLength);
    if (length == 0)
        return 0;
    entry->offset = offset;
    entry->number = file.LineOf(offset);
    entry->line = line;
    ScriptLineEnd(line, &entry->contentLength);
    entry->keyLength = keyLength;
    entry->value = value != nullptr ? value : line;
    entry->valueLength = value != nullptr ? valueLength : 0;
    entry->hasEquals = memchr(line, '=', (size_t)entry->contentLength) != nullptr;
    return length;
}

bool SectionFind(const ScriptFile &file, const std::string &name, size_t *offset, int *line)
{
    int found = 0;
    bool present = ScriptSeekSection(file.text.c_str(), name.c_str(), &found) == 0;
    *offset = (size_t)found;
    *line = present && found > 0 ? file.LineOf((size_t)found - 1) : 1;
    return present;
}
