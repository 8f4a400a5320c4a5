/* The checks of the [Groupe] entries that need no machine: each read into
   the model as the shortcut step reads it, its name and its fields looked
   at. */
#include <string.h>

#include "script/names.h"
#include "tools/checker/checks.h"
#include "tools/checker/cp1252.h"
#include "tools/checker/winpath.h"
#include "util/catalogue.h"
#include "util/text.h"

namespace {

/* A name the shell saves in no folder. */
void CheckShortcutName(CheckContext &c, ShortcutEntry &entry, bool first)
{
    WinRefusal refusal = WinNameRefusal(entry.name);
    entry.nameRefused = refusal.kind != WinRefusal::None;
    std::string name = "shortcut name " + Cp1252Quote(entry.name);
    if (refusal.kind == WinRefusal::Character)
        c.report.Add(Diag::ShortcutNameRefused, entry.line, 1,
                     name + " holds " + refusal.problem +
                         ", which Windows refuses in a file name: the shortcut is not made" +
                         (first ? ", nor the desktop one" : ""));
    else if (refusal.kind == WinRefusal::Device)
        c.report.Add(Diag::ShortcutNameRefused, entry.line, 1,
                     name + ": Windows takes " + Cp1252Quote(refusal.part) +
                         " for a device, and the shortcut is not made");
}

/* The icon file's '%' and the icon index. */
void CheckIcon(CheckContext &c, const ShortcutEntry &entry, const char *value, int indexOffset)
{
    const EntryShortcut &f = entry.fields;
    const char *icon = f.iconFile + strspn(f.iconFile, " \t");
    if (!f.iconInInstallDir && icon != f.iconFile && *icon == '%')
        c.report.Add(Diag::IconPercent, entry.line, entry.column,
                     "the '%' of the icon file " + Cp1252Quote(f.iconFile) +
                         " is not right after its comma: the icon file is used as written, not "
                         "taken in the installation directory");
    const char *index = value + indexOffset;
    const char *p = index + strspn(index, " \t");
    if (*p == '+' || *p == '-')
        p++;
    size_t digits = strspn(p, "0123456789");
    if (*index != '\0' && (digits == 0 || p[digits + strspn(p + digits, " \t")] != '\0'))
        c.report.Add(Diag::IconIndex, entry.line, entry.column + indexOffset,
                     "icon index " + Cp1252Quote(index) + " is not a number: the program takes " +
                         std::to_string(f.iconIndex));
}

/* A line whose key and value the program cannot make a shortcut of as
   meant; true when told. */
bool CheckShortcutLine(CheckContext &c, const EntryLine &e, ShortcutEntry &entry, bool first)
{
    if (e.IsBlanksOnly()) {
        entry.nameRefused = true;
        c.report.Add(Diag::NoEquals, e.number, 1,
                     "line of blanks is not an empty line: the list goes on after it, and the "
                     "shortcut named after its blanks cannot be saved" +
                         std::string(first ? "; as the first entry it takes the desktop's "
                                             "shortcut, which cannot be saved either: no "
                                             "shortcut goes on the desktop"
                                           : ""));
        return true;
    }
    if (!e.hasEquals) {
        c.report.Add(Diag::NoEquals, e.number, 1,
                     "line without '=' makes a shortcut named after the whole line, whose "
                     "target is the installation directory");
        return true;
    }
    if (e.keyLength == 0) {
        entry.nameRefused = true;
        c.report.Add(Diag::ShortcutUnnamed, e.number, 1,
                     "shortcut without a name: it cannot be saved, and no shortcut is made" +
                         std::string(first ? ", nor the desktop one" : ""));
        return true;
    }
    return false;
}

void CheckShortcut(CheckContext &c, const EntryLine &e)
{
    ShortcutEntry entry;
    entry.line = e.number;
    entry.column = e.ValueColumn();
    char text[SETUP_TEXT_CAPACITY];
    TextBoundedCopy(text, sizeof text, e.line, e.keyLength);
    entry.name = text;
    TextBoundedCopy(text, sizeof text, e.value, e.valueLength);
    int indexOffset = EntrySplitShortcut(text, &entry.fields);
    bool first = c.model.shortcuts.empty();

    if (!CheckShortcutLine(c, e, entry, first)) {
        CheckCut(c, e, e.valueLength);
        CheckShortcutName(c, entry, first);
        if (entry.name.size() < 4 ||
            !Cp1252EqualNoCase(entry.name.substr(entry.name.size() - 4), ".lnk"))
            c.report.Add(Diag::Lnk, e.number, 1,
                         "shortcut name " + Cp1252Quote(entry.name) + " does not end in \".lnk\"");
        CheckIcon(c, entry, text, indexOffset);
    }
    c.model.shortcuts.push_back(entry);
}

} // namespace

void CheckGroup(CheckContext &c, size_t offset)
{
    /* An entry that carries nothing ends the list the program makes. */
    int endLine = 0;
    std::string ending;
    SectionWalk(c.file, offset, [&](const EntryLine &e) {
        if (e.CarriesNothing()) {
            if (endLine == 0) {
                endLine = e.number;
                ending = e.contentLength == 0 ? "the empty line "
                         : e.line[0] == ';'   ? "the comment at line "
                                              : "the line with only '=' ";
                c.model.groupEndLine = endLine;
                c.model.groupEnding = ending;
            }
            return;
        }
        if (endLine != 0)
            c.report.Add(Diag::ShortcutNeverMade, e.number, 1,
                         "shortcut " + Cp1252Quote(e.Key()) + " is never made: the list ends at " +
                             ending + std::to_string(endLine));
        else
            CheckShortcut(c, e);
    });
}

/* The closing message of an installation without error says that an icon
   was put on the desktop and a folder in the Start menu, whatever the
   shortcut step made: when it makes no shortcut at all, the message is
   false. */
void CheckClosingMessage(CheckContext &c)
{
    const ScriptModel &m = c.model;
    if (!m.shortcuts.empty())
        return;
    std::string application = Cp1252ToUtf8(m.application.value);
    std::string closing = TEXT_FINISH_SUCCESS;
    closing.replace(closing.find("%s"), 2, application);
    std::string tells = ", while the closing message tells the user \"" + closing + "\"";
    int line = 1;
    std::string why;
    if (!m.hasGroup && m.groupLookalikeLine != 0) {
        line = m.groupLookalikeLine;
        why = "this header is not read as [" NAME_SECTION_GROUP "]: no Start-menu folder and no "
              "shortcut are made";
    } else if (!m.hasGroup) {
        why = "no section [" NAME_SECTION_GROUP "]: no Start-menu folder and no shortcut are made";
    } else if (m.groupEndLine != 0) {
        line = m.groupEndLine;
        why = "the list of [" NAME_SECTION_GROUP "] ends at its first line, " + m.groupEnding +
              std::to_string(line) + ": the Start-menu folder is made but stays empty, and no "
              "shortcut is made";
    } else {
        line = m.groupLine;
        why = "[" NAME_SECTION_GROUP "] has no entry: the Start-menu folder is made but stays "
              "empty, and no shortcut is made";
    }
    c.report.Add(Diag::ClosingMessage, line, 1, why + tells);
}
