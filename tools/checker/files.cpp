/* The checks of the [Fichiers] entries that need no machine: each read into
   the model as the copy reads it, its source looked up in the distribution
   directory, its destination's name looked at. */
#include "tools/checker/checks.h"
#include "tools/checker/cp1252.h"

namespace {

/* The source, which the size pass at start-up opens. */
void CheckSource(CheckContext &c, const FileEntry &entry)
{
    int line = entry.line, column = entry.sourceColumn;
    std::string source = Cp1252Quote(entry.source);
    if (entry.source.empty())
        c.report.Add(Diag::NoSource, line, column,
                     "no source file named: the entry names the setup directory itself, which "
                     "cannot be copied");
    else if (!entry.found.refused.empty())
        c.report.Add(Diag::SourceName, line, column,
                     "source " + source + " cannot be opened: " + entry.found.refused +
                         "; the program says \"Ne peut ouvrir\" before the backdrop, copies "
                         "nothing for this line and ends incomplete");
    else if (entry.found.kind == DistKind::Missing)
        c.report.Add(Diag::MissingSource, line, column,
                     "source file " + source + " not found in " + c.file.directory +
                         (Cp1252LooksUtf8(entry.source)
                              ? " (the name is read in code page 1252, as written here)"
                              : "") +
                         ": the program says \"Ne peut ouvrir\" before the backdrop, copies "
                         "nothing for this line and ends incomplete");
    else if (entry.found.kind == DistKind::Directory)
        c.report.Add(Diag::SourceDirectory, line, column,
                     "source " + source + " is a directory, which cannot be copied");
}

/* The destination's name, whatever the machine. */
void CheckDestinationName(CheckContext &c, FileEntry &entry)
{
    const std::string &d = entry.destination;
    int line = entry.line, column = entry.column;
    std::string base = entry.toWindows ? "Windows" : "installation";
    bool separatorLast = !d.empty() && (d.back() == '\\' || d.back() == '/');
    bool drive = d.size() >= 2 && d[1] == ':';
    entry.nameOpensNothing = d.empty() || separatorLast || drive;
    if (d.empty())
        c.report.Add(Diag::EmptyDestination, line, column,
                     "empty destination name: the destination is a directory and cannot be "
                     "opened (\"Ne peut ouvrir\")");
    else if (separatorLast)
        c.report.Add(Diag::DestinationSeparator, line, column,
                     "destination " + Cp1252Quote(d) + " ends with a separator: it names a "
                     "directory, which cannot be opened as a file (\"Ne peut ouvrir\")");
    if (!d.empty() && (d[0] == '\\' || d[0] == '/'))
        c.report.Add(Diag::RootedDestination, line, column,
                     "destination " + Cp1252Quote(d) + " starts with a separator: it is still "
                     "put under the " + base + " directory, not at the root");
    else if (drive)
        c.report.Add(Diag::DestinationDrive, line, column,
                     "destination " + Cp1252Quote(d) + " names a drive: it is put under the " +
                         base + " directory, where ':' cannot be part of a name, and the copy "
                         "fails");
}

void CheckFileEntry(CheckContext &c, const EntryLine &e)
{
    FileEntry entry;
    entry.line = e.number;
    char value[SETUP_TEXT_CAPACITY];
    entry.toWindows = EntryReadFile(e.value, e.valueLength, value, sizeof value) != 0;
    CheckCut(c, e, e.valueLength - (entry.toWindows ? 1 : 0));
    entry.column = e.ValueColumn() + (entry.toWindows ? 1 : 0);
    std::string whole = value;
    entry.source = EntrySplitFile(value);
    entry.destination = value;
    entry.sourceColumn = entry.column + (int)(whole.size() - entry.source.size());
    entry.found = c.distribution.Lookup(entry.source);

    CheckSource(c, entry);
    if (whole.find(';') != whole.rfind(';'))
        c.report.Add(Diag::Semicolons, e.number, entry.column,
                     "the value is split at its last ';': the destination is " +
                         Cp1252Quote(entry.destination) + " and the source " +
                         Cp1252Quote(entry.source));
    CheckDestinationName(c, entry);
    c.model.files.push_back(entry);
}

} // namespace

void CheckFiles(CheckContext &c, size_t offset)
{
    SectionWalk(c.file, offset, [&](const EntryLine &e) {
        if (e.CarriesNothing())
            return;
        if (!e.hasEquals) {
            c.report.Add(Diag::FileNoEquals, e.number, 1,
                         std::string(e.IsBlanksOnly() ? "line of blanks" : "line without '='") +
                             " is an entry naming the setup directory itself, which cannot be "
                             "copied: the installation ends incomplete");
            return;
        }
        CheckFileEntry(c, e);
    });
}
