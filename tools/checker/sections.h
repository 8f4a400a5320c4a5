#ifndef TAVELIN_CHECKER_SECTIONS_H
#define TAVELIN_CHECKER_SECTIONS_H

/* The lines of a section as the program's scanner delimits them, for the
   checks of the entries. */

#include <string>

#include "tools/checker/scriptfile.h"

/* One line of a section as ScriptScanEntry sees it. */
struct EntryLine {
    size_t offset;
    int number;
    const char *line;
    int contentLength;
    int keyLength;
    const char *value; /* the line itself when the scanner gives no value */
    int valueLength;
    bool hasEquals;

    std::string Key() const { return std::string(line, (size_t)keyLength); }
    int ValueColumn() const { return (int)(value - line) + 1; }
    bool IsBlankOrComment() const { return contentLength == 0 || line[0] == ';'; }
    bool IsBlanksOnly() const;
    /* Neither key nor value: an empty line, a comment, or only '=' and blanks. */
    bool CarriesNothing() const { return keyLength == 0 && valueLength == 0; }
};

/* Reads the line at offset; its length, or 0 at a header or the end of the
   text, where the section ends. */
int SectionReadLine(const ScriptFile &file, size_t offset, EntryLine *entry);

/* Calls visit for every line of the section that starts at offset. */
template <typename Visit> void SectionWalk(const ScriptFile &file, size_t offset, Visit visit)
{
    EntryLine entry;
    for (int length; (length = SectionReadLine(file, offset, &entry)) != 0;
         offset += (size_t)length)
        visit(entry);
}

/* Whether the section name is in the text: true with the offset of the line
   after its first header and that header's line. */
bool SectionFind(const ScriptFile &file, const std::string &name, size_t *offset, int *line);

#endif
