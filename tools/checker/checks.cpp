#include "tools/checker/checks.h"

#include <stdio.h>
#include <string.h>

#include <fstream>

#include "actions/registrationrows.h"
#include "script/scan.h"
#include "tools/checker/cp1252.h"
#include "tools/checker/winpath.h"
#include "ui/bmpcheck.h"
#include "util/text.h"

/* Section and key names, in code page 1252, as the program's string table
   gives them. */
static const char sectionSettings[] = "Installer";
static const char sectionFiles[] = "Fichiers";
static const char sectionGroup[] = "Groupe";
static const char sectionRegistration[] = "Enregistrement";
static const char keyBitmap[] = "Bitmap";
static const char keyApplication[] = "Application";
static const char keyTitle[] = "Titre";
static const char keyDirectory[] = "R\xE9pertoire";
static const char keySuffixes[] = "Suffixes";
static const char directoryInUtf8[] = "R\xC3\xA9pertoire";

const char *const checkWarnings[] = {
    "undefined-byte", "utf8", "lone-cr",
    "repeated-section", "section-prefix", "section-case", "unknown-section", "indented-header",
    "key-prefix", "key-case", "indented-key", "unknown-key", "empty-key", "repeated-key",
    "no-equals", "cut", "no-title",
    "semicolons", "rooted-destination", "duplicate-destination",
    "outside-installation", "size",
    "shortcut-never-made", "lnk", "not-installed", "icon-percent", "icon-index",
    "duplicate-shortcut", "desktop-name", "no-uninstaller", "outside-group",
    "suffix-dot", "suffix-separator",
    nullptr,
};

bool CheckIsWarning(const std::string &name)
{
    for (const char *const *w = checkWarnings; *w != nullptr; w++) {
        if (name == *w)
            return true;
    }
    return false;
}

/* Whether the line starts, after its blanks, with "Répertoire" in UTF-8. */
static bool StartsWithUtf8Directory(const std::string &line)
{
    size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && line.compare(first, strlen(directoryInUtf8),
                                                      directoryInUtf8) == 0;
}

namespace {

/* One line of a section as ScriptScanEntry sees it. */
struct EntryLine {
    size_t offset;
    int number;
    const char *line;
    int contentLength;
    int keyLength;
    const char *value;
    int valueLength;
    bool hasEquals;

    std::string Key() const { return std::string(line, (size_t)keyLength); }
    int ValueColumn() const { return (int)(value - line) + 1; }
    bool IsBlankOrComment() const { return contentLength == 0 || line[0] == ';'; }
    bool IsBlanksOnly() const
    {
        for (int i = 0; i < contentLength; i++) {
            if (line[i] != ' ' && line[i] != '\t')
                return false;
        }
        return contentLength > 0;
    }
};

struct Checker {
    const ScriptFile &file;
    ScriptModel &model;
    std::vector<Diagnostic> &out;

    void Add(int line, int column, const char *warning, const std::string &message)
    {
        out.push_back(Diagnostic{line, column, warning != nullptr ? Severity::Warning : Severity::Error,
                                 warning, message});
    }
    /* An error that has a name of its own. */
    void AddError(int line, int column, const char *name, const std::string &message)
    {
        out.push_back(Diagnostic{line, column, Severity::Error, name, message});
    }
    void AddAt(size_t offset, const char *warning, const std::string &message)
    {
        Add(file.LineOf(offset), file.ColumnOf(offset), warning, message);
    }

    std::string Quote(const std::string &bytes) const
    {
        return "\"" + Cp1252ToUtf8(bytes) + "\"";
    }

    const char *Text() const { return file.text.c_str(); }

    /* Calls visit for every line ScriptScanEntry returns from offset on, up to
       the next header or the end of the text. */
    template <typename Visit> void WalkEntries(int offset, Visit visit)
    {
        for (;;) {
            const char *line = Text() + offset;
            int keyLength = 0, valueLength = 0;
            const char *value = nullptr;
            int length = ScriptScanEntry(line, &keyLength, &value, &valueLength);
            if (length == 0)
                break;
            EntryLine entry;
            entry.offset = (size_t)offset;
            entry.number = file.LineOf((size_t)offset);
            entry.line = line;
            ScriptLineEnd(line, &entry.contentLength);
            entry.keyLength = keyLength;
            entry.value = value != nullptr ? value : line;
            entry.valueLength = value != nullptr ? valueLength : 0;
            entry.hasEquals = memchr(line, '=', (size_t)entry.contentLength) != nullptr;
            visit(entry);
            offset += length;
        }
    }

    bool CheckWholeFile();
    void CheckEncoding();
    void CheckHeaders();
    void CheckSettings(const char *section, int offset, const char *const *keys,
                       ScriptSetting *const *settings, int count, bool skipEmpty);
    void CheckBitmap();
    void CheckFiles(int offset);
    void CheckName(const EntryLine &e, const std::string &name, const std::string &what);
    void CheckGroup(int offset);
    void CheckSuffixes();
    void CheckCut(const EntryLine &e, int valueLength);
};

/* An empty or binary file: one error, and nothing else is looked at. */
bool Checker::CheckWholeFile()
{
    const std::string &bytes = file.bytes;
    if (bytes.empty()) {
        Add(1, 1, nullptr,
            "empty script: the program says \"La section [Installer] n'existe pas !\" and ends");
        return false;
    }
    size_t sample = bytes.size() < 4096 ? bytes.size() : 4096;
    size_t controls = 0;
    for (size_t i = 0; i < sample; i++) {
        unsigned char c = (unsigned char)bytes[i];
        if ((c < 32 && c != '\t' && c != '\r' && c != '\n') || c == 127)
            controls++;
    }
    if (controls * 10 > sample) {
        Add(1, 1, nullptr,
            "binary data, not a setup script: " + std::to_string(controls) + " of its first " +
                std::to_string(sample) + " bytes are control characters");
        return false;
    }
    return true;
}

void Checker::CheckEncoding()
{
    const std::string &bytes = file.bytes;
    /* The mark is three characters in front of the first line: it matters
       only when that line is a header, which it then no longer is. */
    bool bom = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (bom && file.text.size() > 3 && file.text[3] == '[') {
        int content;
        ScriptLineEnd(file.text.c_str() + 3, &content);
        AddError(1, 1, "byte-order-mark",
                 "UTF-8 byte-order mark before the header " +
                     Quote(file.text.substr(3, (size_t)content)) +
                     ": the line starts with the mark, not with '[', and is no header; save the "
                     "script in code page 1252 without a mark");
    }

    const std::string &text = file.text;
    if (text.find('\n') == std::string::npos && text.find('\r') != std::string::npos)
        Add(1, 1, nullptr,
            "line ends are CR alone: the whole file is one single line and nothing in it is "
            "read; use CR LF or LF");

    /* Zero bytes and line ends after the last line hide nothing. */
    size_t zero = text.size();
    std::string rest = file.bytes.substr(zero);
    bool nothingHidden = rest.find_first_not_of('\0') == std::string::npos ||
                         (rest.find_first_not_of(std::string("\0\r\n", 3)) == std::string::npos &&
                          (text.empty() || text.back() == '\n'));
    if (file.hasZero && !nothingHidden) {
        int after = file.LineCount() - file.LineOf(zero);
        AddError(file.LineOf(zero), file.ColumnOf(zero), "zero-byte",
                 "zero byte: the text ends here" +
                     (after > 0 ? " and the " + std::to_string(after) +
                                      " line(s) after it are not read"
                                : std::string(" and the rest of the line is not read")));
    }

    for (size_t start = 0; start < text.size();) {
        int content;
        int end = ScriptLineEnd(text.c_str() + start, &content);
        std::string line = text.substr(start, (size_t)content);
        size_t skip = start == 0 && bom ? 3 : 0;

        std::string undefined;
        size_t firstUndefined = 0;
        for (size_t i = 0; i < line.size(); i++) {
            unsigned char c = (unsigned char)line[i];
            if (Cp1252IsUndefined(c)) {
                char hex[8];
                snprintf(hex, sizeof hex, " 0x%02X", c);
                if (undefined.empty())
                    firstUndefined = i;
                undefined += hex;
            }
        }
        if (!undefined.empty())
            AddAt(start + firstUndefined, "undefined-byte",
                  "byte(s)" + undefined + " name no character in code page 1252");

        /* a "Répertoire" key in UTF-8 is told with the settings */
        if (!StartsWithUtf8Directory(line) && !line.empty() && line[0] != ';' &&
            Cp1252LooksUtf8(line, skip))
            AddAt(start, "utf8",
                  "text looks UTF-8 encoded: the program reads it in code page 1252 and shows " +
                      Quote(line.substr(skip)));

        size_t cr = line.find('\r');
        if (cr != std::string::npos && text.find('\n') != std::string::npos)
            AddAt(start + cr, "lone-cr", "CR not followed by LF is no line end: it stays in the line");
        start += (size_t)(content + end);
    }
}

static const char *const knownSections[] = {sectionSettings, sectionFiles, sectionGroup,
                                            sectionRegistration};

/* Whether the header line (content bytes) is one ScriptSeekSection takes for
   name: the content after '[' starts with it. */
static bool HeaderMatches(const char *line, int content, const char *name)
{
    int length = TextLength(name);
    return content >= 1 && line[0] == '[' && content - 1 >= length &&
           TextComparePrefix(line + 1, name, length) == 0;
}

static bool StartsWithNoCase(const std::string &text, const std::string &prefix)
{
    return text.size() >= prefix.size() &&
           Cp1252EqualNoCase(text.substr(0, prefix.size()), prefix);
}

void Checker::CheckHeaders()
{
    const std::string &text = file.text;
    for (size_t start = 0; start < text.size();) {
        const char *line = text.c_str() + start;
        int content;
        int end = ScriptLineEnd(line, &content);
        int number = file.LineOf(start);
        std::string bytes(line, (size_t)content);
        start += (size_t)(content + end);

        if (content >= 1 && line[0] == '[') {
            size_t close = bytes.find(']');
            std::string name = bytes.substr(1, close == std::string::npos ? std::string::npos
                                                                          : close - 1);
            const char *known = nullptr;
            for (const char *k : knownSections) {
                if (HeaderMatches(line, content, k))
                    known = k;
            }
            if (known != nullptr) {
                int first = 0;
                ScriptSeekSection(Text(), known, &first);
                if ((size_t)first != start) {
                    /* the first header is the line just before the section */
                    int firstLine = file.LineOf((size_t)first - 1);
                    Add(number, 1, "repeated-section",
                        "section [" + Cp1252ToUtf8(known) + "] repeated: only the first, at line " +
                            std::to_string(firstLine) + ", is read; this one is ignored");
                } else if (name != known) {
                    Add(number, 1, "section-prefix",
                        "header " + Quote(bytes) + " is read as [" + Cp1252ToUtf8(known) +
                            "]: section names match by their beginning");
                }
                continue;
            }
            const char *lookalike = nullptr;
            for (const char *k : knownSections) {
                if (StartsWithNoCase(name, k))
                    lookalike = k;
            }
            if (lookalike != nullptr)
                Add(number, 1, "section-case",
                    "header " + Quote(bytes) + " is not [" + Cp1252ToUtf8(lookalike) +
                        "]: section names are case-sensitive; this section is not read");
            else
                Add(number, 1, "unknown-section",
                    "section [" + Cp1252ToUtf8(name) + "] is not read by the program");
            continue;
        }

        size_t first = bytes.find_first_not_of(" \t");
        if (first != std::string::npos && first > 0 && bytes[first] == '[' &&
            bytes.find('=') == std::string::npos)
            Add(number, (int)first + 1, "indented-header",
                "indented header " + Quote(bytes) +
                    " is no header: a header starts in the first column; this line is an entry "
                    "of the section above");
    }
}

/* A key or value longer than the program's 127 characters. */
void Checker::CheckCut(const EntryLine &e, int valueLength)
{
    const int most = SETUP_TEXT_CAPACITY - 1;
    if (e.keyLength > most)
        Add(e.number, most + 1, "cut",
            "key longer than 127 characters (" + std::to_string(e.keyLength) +
                "): it is cut to 127");
    if (valueLength > most)
        Add(e.number, e.ValueColumn() + e.valueLength - valueLength + most, "cut",
            "value longer than 127 characters (" + std::to_string(valueLength) +
                "): it is cut to 127");
}

void Checker::CheckSettings(const char *section, int offset, const char *const *keys,
                            ScriptSetting *const *settings, int count, bool skipEmpty)
{
    WalkEntries(offset, [&](const EntryLine &e) {
        if (e.IsBlankOrComment() || e.IsBlanksOnly())
            return;
        if (skipEmpty && e.keyLength == 0 && e.valueLength == 0)
            return;
        std::string key = e.Key();
        int matched = -1;
        for (int k = 0; k < count; k++) {
            if (TextComparePrefix(e.line, keys[k], TextLength(keys[k])) == 0)
                matched = k;
        }
        if (matched >= 0) {
            const char *name = keys[matched];
            ScriptSetting *setting = settings[matched];
            if (key != name)
                Add(e.number, 1, "key-prefix",
                    "key " + Quote(key) + " is read as " + Quote(name) +
                        ": keys match by their beginning");
            else if (!e.hasEquals)
                Add(e.number, 1, "no-equals",
                    "line without '=' sets " + Quote(name) + " to an empty value");
            CheckCut(e, e.valueLength);
            if (setting->line != 0)
                Add(e.number, 1, "repeated-key",
                    Quote(name) + " set again: this line replaces line " +
                        std::to_string(setting->line));
            char cut[SETUP_TEXT_CAPACITY];
            TextBoundedCopy(cut, sizeof cut, e.value, e.valueLength);
            setting->value = cut;
            setting->line = e.number;
            setting->column = e.ValueColumn();
            return;
        }

        /* The proposal comes from the program-files directory: the key
           matters only on a system that names none. */
        static const char unusedDirectory[] =
            ", used only when the system names no program-files directory; the proposal "
            "comes from the program-files directory anyway";
        if (section == sectionSettings && StartsWithUtf8Directory(key)) {
            Add(e.number, 1, "unknown-key",
                "key " + Quote(key) + " sets nothing: \"R\xC3\xA9pertoire\" is written in UTF-8 "
                "(0xC3 0xA9) and the key has the single byte 0xE9" + unusedDirectory);
            return;
        }
        if (e.keyLength == 0) {
            Add(e.number, 1, "empty-key", "line with an empty key sets nothing");
            return;
        }
        size_t first = key.find_first_not_of(" \t");
        std::string trimmed = first == std::string::npos ? std::string() : key.substr(first);
        if (!trimmed.empty() && trimmed[0] == '[')
            return; /* reported with the headers */
        for (int k = 0; k < count; k++) {
            std::string name = keys[k];
            if (first > 0 && trimmed.compare(0, name.size(), name) == 0) {
                Add(e.number, 1, "indented-key",
                    "indented key " + Quote(key) +
                        " sets nothing: keys are read from the first column only");
                return;
            }
            if (StartsWithNoCase(trimmed, name)) {
                Add(e.number, 1, "key-case",
                    "key " + Quote(key) + " sets nothing: keys are case-sensitive (write " +
                        Quote(name) + ")");
                return;
            }
        }
        if (section == sectionSettings && StartsWithNoCase(trimmed, "Repertoire")) {
            Add(e.number, 1, "unknown-key",
                "key " + Quote(key) + " sets nothing: the key is " + Quote(keyDirectory) +
                    ", with the byte 0xE9" + unusedDirectory);
            return;
        }
        Add(e.number, 1, "unknown-key",
            "unknown key " + Quote(key) + " in [" + Cp1252ToUtf8(section) + "] sets nothing");
    });
}

void Checker::CheckBitmap()
{
    const ScriptSetting &bitmap = model.bitmap;
    if (bitmap.line == 0 || bitmap.value.empty())
        return;
    int line = bitmap.line, column = bitmap.column;
    std::string name = Quote(bitmap.value);
    DistEntry found = DistLookup(file.directory, bitmap.value);
    if (!found.refused.empty()) {
        AddError(line, column, "bitmap-name",
                 "picture " + name + " cannot be opened: " + found.refused +
                     "; the program says \"Ne peut ouvrir\" and shows a plain backdrop");
        return;
    }
    if (found.kind == DistKind::Missing) {
        Add(line, column, nullptr, "picture " + name + " not found in " + file.directory);
        return;
    }
    if (found.kind == DistKind::Directory) {
        Add(line, column, nullptr, "picture " + name + " is a directory");
        return;
    }
    /* Only the headers are read: the picture may be of any size. */
    std::ifstream in(found.path, std::ios::binary);
    std::string data(14, '\0');
    in.read(&data[0], (std::streamsize)data.size());
    data.resize((size_t)in.gcount());
    long long size = found.size;
    const unsigned char *bytes = (const unsigned char *)data.data();
    if (data.size() < 14) {
        Add(line, column, nullptr,
            "picture " + name + " is too short for a BMP file header (" + std::to_string(size) +
                " bytes)");
        return;
    }
    unsigned offBits = BitmapRead32(bytes + 10);
    if (BitmapCheckOffset(offBits) != 0) {
        Add(line, column, nullptr,
            "picture " + name + " refused: its pixel offset " + std::to_string(offBits) +
                " leaves no room for the information header");
        return;
    }
    unsigned infoSize = offBits - 14;
    if (size >= (long long)offBits) {
        data.resize(offBits);
        in.read(&data[14], (std::streamsize)infoSize);
        data.resize(14 + (size_t)in.gcount());
        bytes = (const unsigned char *)data.data();
    }
    if (data.size() < (size_t)offBits) {
        Add(line, column, nullptr,
            "picture " + name + " is short: its headers end at byte " + std::to_string(offBits) +
                ", the file at " + std::to_string(size));
        return;
    }
    unsigned pixelBytes = 0;
    if (BitmapCheckInfo(bytes + 14, infoSize, &pixelBytes) != 0) {
        unsigned bits = bytes[14 + 14] | bytes[14 + 15] << 8;
        unsigned compression = BitmapRead32(bytes + 14 + 16);
        int height = (int)BitmapRead32(bytes + 14 + 8);
        bool rle = (compression == 1 && bits == 8) || (compression == 2 && bits == 4);
        /* The run-length layouts are shown, but not every picture of them. */
        std::string why =
            rle && BitmapRead32(bytes + 14 + 20) == 0
                ? "its run-length pixels have no size (biSizeImage 0), and the program reads "
                  "exactly biSizeImage bytes of them"
            : rle && height < 0 ? "run-length pixels are stored bottom-up, and its height is "
                                  "negative"
                                : "the program shows only BMP pictures of 1, 4, 8, 16, 24 or 32 "
                                  "bits, uncompressed, RLE8, RLE4 or bit fields, with sound "
                                  "headers";
        AddError(line, column, "bitmap-refused",
                 "picture " + name + " refused (" + std::to_string(bits) + " bits, compression " +
                     std::to_string(compression) + "): " + why +
                     "; the program says \"cr\xC3\xA9" "ation de bitmap impossible\" and shows a "
                     "plain backdrop");
        return;
    }
    if (size - offBits < (long long)pixelBytes)
        Add(line, column, nullptr,
            "picture " + name + " is short: " + std::to_string(pixelBytes) +
                " bytes of pixels expected, " + std::to_string(size - offBits) + " present");
}

void Checker::CheckFiles(int offset)
{
    WalkEntries(offset, [&](const EntryLine &e) {
        if (e.keyLength == 0 && e.valueLength == 0)
            return;
        if (!e.hasEquals) {
            Add(e.number, 1, nullptr,
                std::string(e.IsBlanksOnly() ? "line of blanks" : "line without '='") +
                    " is an entry naming the setup directory itself, which cannot be copied: "
                    "the installation ends incomplete");
            return;
        }

        FileEntry entry;
        entry.line = e.number;
        char value[SETUP_TEXT_CAPACITY];
        entry.toWindows = EntryReadFile(e.value, e.valueLength, value, sizeof value) != 0;
        CheckCut(e, e.valueLength - (entry.toWindows ? 1 : 0));
        entry.column = e.ValueColumn() + (entry.toWindows ? 1 : 0);
        std::string whole = value;
        entry.source = EntrySplitFile(value);
        entry.destination = value;
        entry.sourceColumn = entry.column + (int)(whole.size() - entry.source.size());
        entry.found = DistLookup(file.directory, entry.source);

        if (entry.source.empty())
            Add(e.number, entry.sourceColumn, nullptr,
                "no source file named: the entry names the setup directory itself, which "
                "cannot be copied");
        else if (!entry.found.refused.empty())
            AddError(e.number, entry.sourceColumn, "source-name",
                     "source " + Quote(entry.source) + " cannot be opened: " + entry.found.refused +
                         "; the program says \"Ne peut ouvrir\" before the backdrop, copies "
                         "nothing for this line and ends incomplete");
        else if (entry.found.kind == DistKind::Missing)
            AddError(e.number, entry.sourceColumn, "missing-source",
                     "source file " + Quote(entry.source) + " not found in " + file.directory +
                         (Cp1252LooksUtf8(entry.source)
                              ? " (the name is read in code page 1252, as written here)"
                              : "") +
                         ": the program says \"Ne peut ouvrir\" before the backdrop, copies "
                         "nothing for this line and ends incomplete");
        else if (entry.found.kind == DistKind::Directory)
            Add(e.number, entry.sourceColumn, nullptr,
                "source " + Quote(entry.source) + " is a directory, which cannot be copied");

        if (whole.find(';') != whole.rfind(';'))
            Add(e.number, entry.column, "semicolons",
                "the value is split at its last ';': the destination is " +
                    Quote(entry.destination) + " and the source " + Quote(entry.source));

        const std::string &d = entry.destination;
        entry.broken = d.empty() || d.back() == '\\' || d.back() == '/' ||
                       (d.size() >= 2 && d[1] == ':');
        if (d.empty())
            Add(e.number, entry.column, nullptr,
                "empty destination name: the destination is a directory and cannot be opened "
                "(\"Ne peut ouvrir\")");
        else if (d.back() == '\\' || d.back() == '/')
            Add(e.number, entry.column, nullptr,
                "destination " + Quote(d) + " ends with a separator: it names a directory, "
                "which cannot be opened as a file (\"Ne peut ouvrir\")");
        if (!d.empty() && (d[0] == '\\' || d[0] == '/'))
            Add(e.number, entry.column, "rooted-destination",
                "destination " + Quote(d) + " starts with a separator: it is still put under the " +
                    (entry.toWindows ? "Windows" : "installation") + " directory, not at the root");
        else if (d.size() >= 2 && d[1] == ':')
            Add(e.number, entry.column, nullptr,
                "destination " + Quote(d) + " names a drive: it is put under the " +
                    (entry.toWindows ? "Windows" : "installation") +
                    " directory, where ':' cannot be part of a name, and the copy fails");
        model.files.push_back(entry);
    });
}

/* A shortcut's file name, which the shell saves in the group folder and on
   the desktop. */
void Checker::CheckName(const EntryLine &e, const std::string &name, const std::string &what)
{
    for (const std::string &part : WinPathResolve(name).parts) {
        std::string problem = WinNameProblem(part);
        model.shortcuts.back().broken = !problem.empty() || WinIsDeviceName(part);
        if (!problem.empty()) {
            Add(e.number, 1, nullptr,
                what + " " + Quote(name) + " holds " + problem +
                    ", which Windows refuses in a file name: the shortcut is not made" +
                    (model.shortcuts.size() == 1 ? ", nor the desktop one" : ""));
            return;
        }
        if (WinIsDeviceName(part)) {
            Add(e.number, 1, nullptr,
                what + " " + Quote(name) + ": Windows takes " + Quote(part) +
                    " for a device, and the shortcut is not made");
            return;
        }
    }
}

void Checker::CheckGroup(int offset)
{
    int endLine = 0;
    std::string ending;
    WalkEntries(offset, [&](const EntryLine &e) {
        if (e.keyLength == 0 && e.valueLength == 0) {
            if (endLine == 0) {
                endLine = e.number;
                ending = e.contentLength == 0 ? "the empty line "
                         : e.line[0] == ';'   ? "the comment at line "
                                              : "the line with only '=' ";
            }
            return;
        }
        std::string key = e.Key();
        if (endLine != 0) {
            Add(e.number, 1, "shortcut-never-made",
                "shortcut " + Quote(key) + " is never made: the list ends at " + ending +
                    std::to_string(endLine));
            return;
        }
        ShortcutEntry entry;
        entry.line = e.number;
        entry.column = e.ValueColumn();
        char text[SETUP_TEXT_CAPACITY];
        TextBoundedCopy(text, sizeof text, e.line, e.keyLength);
        entry.name = text;
        TextBoundedCopy(text, sizeof text, e.value, e.valueLength);
        int indexOffset = EntrySplitShortcut(text, &entry.fields);
        model.shortcuts.push_back(entry);

        if (e.IsBlanksOnly()) {
            model.shortcuts.back().broken = true;
            Add(e.number, 1, "no-equals",
                "line of blanks is not an empty line: the list goes on after it, and the "
                "shortcut named after its blanks cannot be saved" +
                    std::string(model.shortcuts.size() == 1
                                    ? "; as the first entry it takes the desktop's shortcut, "
                                      "which cannot be saved either: no shortcut goes on the "
                                      "desktop"
                                    : ""));
            return;
        }
        if (!e.hasEquals) {
            Add(e.number, 1, "no-equals",
                "line without '=' makes a shortcut named after the whole line, whose target is "
                "the installation directory");
            return;
        }
        if (e.keyLength == 0) {
            model.shortcuts.back().broken = true;
            Add(e.number, 1, nullptr,
                "shortcut without a name: it cannot be saved, and no shortcut is made" +
                    std::string(model.shortcuts.size() == 1 ? ", nor the desktop one" : ""));
            return;
        }
        CheckCut(e, e.valueLength);
        CheckName(e, entry.name, "shortcut name");
        if (entry.name.size() < 4 ||
            !Cp1252EqualNoCase(entry.name.substr(entry.name.size() - 4), ".lnk"))
            Add(e.number, 1, "lnk",
                "shortcut name " + Quote(entry.name) + " does not end in \".lnk\"");

        const EntryShortcut &f = entry.fields;
        const char *icon = f.iconFile + strspn(f.iconFile, " \t");
        if (!f.iconInInstallDir && icon != f.iconFile && *icon == '%')
            Add(e.number, entry.column, "icon-percent",
                "the '%' of the icon file " + Quote(f.iconFile) +
                    " is not right after its comma: the icon file is used as written, not "
                    "taken in the installation directory");
        const char *index = text + indexOffset;
        const char *p = index + strspn(index, " \t");
        if (*p == '+' || *p == '-')
            p++;
        size_t digits = strspn(p, "0123456789");
        if (*index != '\0' && (digits == 0 || p[digits + strspn(p + digits, " \t")] != '\0'))
            Add(e.number, entry.column + indexOffset, "icon-index",
                "icon index " + Quote(index) + " is not a number: the program takes " +
                    std::to_string(f.iconIndex));
    });
}

void Checker::CheckSuffixes()
{
    if (model.suffixes.line == 0)
        return;
    const char *list = model.suffixes.value.c_str();
    const char *cursor = list;
    const char *word;
    int length;
    while (EntryNextSuffix(&cursor, &word, &length) == 0) {
        std::string w(word, (size_t)length);
        RegistrationRow row;
        RegistrationComposeSuffix(word, length, &row);
        const char *key = row.key;
        model.suffixWords.push_back(w);
        int column = model.suffixes.column + (int)(word - list);
        if (w[0] == '.')
            Add(model.suffixes.line, column, "suffix-dot",
                "suffix " + Quote(w) + " is written with its dot: the program adds one and registers " +
                    Quote(key));
        if (w.find_first_of(",;") != std::string::npos)
            Add(model.suffixes.line, column, "suffix-separator",
                "suffixes are separated by blanks only: " + Quote(w) + " is one suffix, " +
                    Quote(key));
        else if (w.find('\\') != std::string::npos)
            Add(model.suffixes.line, column, "suffix-separator",
                "suffix " + Quote(w) + " holds a '\\': the program makes the key " + Quote(key) +
                    " below the key of what comes before it");
    }
}

} // namespace

void CheckScript(const ScriptFile &file, ScriptModel *model, std::vector<Diagnostic> *diagnostics)
{
    Checker c{file, *model, *diagnostics};
    if (!c.CheckWholeFile())
        return;
    c.CheckEncoding();
    c.CheckHeaders();

    int offset = 0;
    model->hasSettings = ScriptSeekSection(file.text.c_str(), sectionSettings, &offset) == 0;
    if (model->hasSettings) {
        int headerLine = offset > 0 ? file.LineOf((size_t)offset - 1) : 1;
        static const char *const keys[] = {keyBitmap, keyApplication, keyTitle, keyDirectory};
        ScriptSetting *const settings[] = {&model->bitmap, &model->application, &model->title,
                                           &model->directory};
        c.CheckSettings(sectionSettings, offset, keys, settings, 4, false);
        /* Without a name of its own the product lands in the folders that
           should hold it: program files, the Programs menu, the key of
           every uninstall entry. */
        const ScriptSetting &application = model->application;
        std::string what = application.line == 0 ? "no \"Application\""
                           : application.value.empty()
                               ? "empty \"Application\""
                               : "\"Application\" " + c.Quote(application.value) +
                                     " names no folder of its own";
        if (application.line == 0 || WinPathResolve(application.value).parts.empty())
            c.AddError(application.line != 0 ? application.line : headerLine,
                       application.line != 0 ? application.column : 1, "no-application",
                       what + ": the program proposes the program-files directory itself and "
                       "installs straight into it, makes the shortcuts in the Programs folder "
                       "itself, and writes DisplayName and UninstallString on the "
                       "...\\CurrentVersion\\Uninstall key itself");
        if (model->title.line == 0 || model->title.value.empty())
            c.Add(model->title.line != 0 ? model->title.line : headerLine, 1, "no-title",
                  std::string(model->title.line == 0 ? "no" : "empty") +
                      " \"Titre\": the backdrop, the dialogs and the messages have no caption");
        c.CheckBitmap();
    } else {
        c.Add(1, 1, nullptr,
              "no section [Installer]: the program says \"La section [Installer] n'existe pas !\" "
              "and ends");
    }

    model->hasFiles = ScriptSeekSection(file.text.c_str(), sectionFiles, &offset) == 0;
    if (model->hasFiles) {
        model->filesLine = offset > 0 ? file.LineOf((size_t)offset - 1) : 1;
        c.CheckFiles(offset);
    } else {
        c.Add(1, 1, nullptr,
              "no section [Fichiers]: the program says \"La section [Fichiers] n'existe pas !\" "
              "and ends");
    }

    model->hasGroup = ScriptSeekSection(file.text.c_str(), sectionGroup, &offset) == 0;
    if (model->hasGroup)
        c.CheckGroup(offset);

    model->hasRegistration =
        ScriptSeekSection(file.text.c_str(), sectionRegistration, &offset) == 0;
    if (model->hasRegistration) {
        static const char *const keys[] = {keySuffixes};
        ScriptSetting *const settings[] = {&model->suffixes};
        c.CheckSettings(sectionRegistration, offset, keys, settings, 1, true);
        c.CheckSuffixes();
    }
}
