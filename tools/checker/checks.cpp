#include "tools/checker/checks.h"

#include <string.h>

#include <fstream>

#include "script/scan.h"
#include "tools/checker/cp1252.h"
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

/* The program's text buffers hold 128 bytes, terminator included. */
static const int textCapacity = 128;

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
    std::string Value() const { return std::string(value, (size_t)valueLength); }
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

    void Add(int line, Severity severity, const std::string &message)
    {
        out.push_back(Diagnostic{line, severity, message});
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

    void CheckEncoding();
    void CheckHeaders();
    bool FindSection(const char *name, int *offset);
    void CheckSettings(const char *section, int offset, const char *const *keys,
                       ScriptSetting *const *settings, int count, bool skipEmpty);
    void CheckBitmap();
    void CheckFiles(int offset);
    void CheckGroup(int offset);
    void CheckSuffixes();
    bool Installed(const std::string &name) const;
};

void Checker::CheckEncoding()
{
    const std::string &bytes = file.bytes;
    bool bom = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (bom)
        Add(1, Severity::Error,
            "UTF-8 byte-order mark: the first line does not start with its first character "
            "and is not read as written; save the script in code page 1252 without a mark");

    const std::string &text = file.text;
    if (text.find('\n') == std::string::npos && text.find('\r') != std::string::npos)
        Add(0, Severity::Error,
            "line ends are CR alone: the whole file is one single line and nothing in it is "
            "read; use CR LF or LF");

    if (file.hasZero) {
        size_t zero = text.size();
        int line = file.LineOf(zero);
        int after = file.LineCount() - line;
        Add(line, Severity::Error,
            "zero byte: the text ends here" +
                (after > 0 ? " and the " + std::to_string(after) + " line(s) after it are not read"
                           : std::string(" and the rest of the line is not read")));
    }

    for (size_t start = 0; start < text.size();) {
        int content;
        int end = ScriptLineEnd(text.c_str() + start, &content);
        std::string line = text.substr(start, (size_t)content);
        int number = file.LineOf(start);

        std::string undefined;
        for (unsigned char c : line) {
            if (Cp1252IsUndefined(c)) {
                char hex[8];
                snprintf(hex, sizeof hex, " 0x%02X", c);
                undefined += hex;
            }
        }
        if (!undefined.empty())
            Add(number, Severity::Warning,
                "byte(s)" + undefined + " name no character in code page 1252");

        if (StartsWithUtf8Directory(line)) {
            Add(number, Severity::Error,
                "\"R\xC3\xA9pertoire\" is written in UTF-8 (0xC3 0xA9) and never matches the key; "
                "save the script in code page 1252, where \xC3\xA9 is the single byte 0xE9");
        } else if (!line.empty() && line[0] != ';' &&
                   Cp1252LooksUtf8(line, start == 0 && bom ? 3 : 0)) {
            Add(number, Severity::Warning,
                "text looks UTF-8 encoded: the program reads it in code page 1252 and shows " +
                    Quote(line.substr(start == 0 && bom ? 3 : 0)));
        }

        size_t cr = line.find('\r');
        if (cr != std::string::npos && text.find('\n') != std::string::npos)
            Add(number, Severity::Warning,
                "CR not followed by LF is no line end: it stays in the line");
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
                size_t after = start;
                if ((size_t)first != after) {
                    /* the first header is the line just before the section */
                    int firstLine = file.LineOf((size_t)first - 1);
                    Add(number, Severity::Warning,
                        "section [" + Cp1252ToUtf8(known) + "] repeated: only the first, at line " +
                            std::to_string(firstLine) + ", is read; this one is ignored");
                } else if (name != known) {
                    Add(number, Severity::Warning,
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
                Add(number, Severity::Warning,
                    "header " + Quote(bytes) + " is not [" + Cp1252ToUtf8(lookalike) +
                        "]: section names are case-sensitive; this section is not read");
            else
                Add(number, Severity::Warning,
                    "section [" + Cp1252ToUtf8(name) + "] is not read by the program");
            continue;
        }

        size_t first = bytes.find_first_not_of(" \t");
        if (first != std::string::npos && first > 0 && bytes[first] == '[' &&
            bytes.find('=') == std::string::npos)
            Add(number, Severity::Warning,
                "indented header " + Quote(bytes) +
                    " is no header: a header starts in the first column; this line is an entry "
                    "of the section above");
    }
}

bool Checker::FindSection(const char *name, int *offset)
{
    if (ScriptSeekSection(Text(), name, offset) == 0)
        return true;
    return false;
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
                Add(e.number, Severity::Warning,
                    "key " + Quote(key) + " is read as " + Quote(name) +
                        ": keys match by their beginning");
            else if (!e.hasEquals)
                Add(e.number, Severity::Warning,
                    "line without '=' sets " + Quote(name) + " to an empty value");
            if (e.valueLength > textCapacity - 1)
                Add(e.number, Severity::Warning,
                    "value longer than 127 characters (" + std::to_string(e.valueLength) +
                        "): it is cut to 127");
            if (setting->line != 0)
                Add(e.number, Severity::Warning,
                    Quote(name) + " set again: this line replaces line " +
                        std::to_string(setting->line));
            char cut[textCapacity];
            TextBoundedCopy(cut, sizeof cut, e.value, e.valueLength);
            setting->value = cut;
            setting->line = e.number;
            return;
        }

        if (StartsWithUtf8Directory(key))
            return; /* reported with the encoding */
        if (e.keyLength == 0) {
            Add(e.number, Severity::Warning, "line with an empty key sets nothing");
            return;
        }
        size_t first = key.find_first_not_of(" \t");
        std::string trimmed = first == std::string::npos ? std::string() : key.substr(first);
        if (!trimmed.empty() && trimmed[0] == '[')
            return; /* reported with the headers */
        for (int k = 0; k < count; k++) {
            std::string name = keys[k];
            if (first > 0 && trimmed.compare(0, name.size(), name) == 0) {
                Add(e.number, Severity::Warning,
                    "indented key " + Quote(key) +
                        " sets nothing: keys are read from the first column only");
                return;
            }
            if (StartsWithNoCase(trimmed, name)) {
                Add(e.number, Severity::Warning,
                    "key " + Quote(key) + " sets nothing: keys are case-sensitive (write " +
                        Quote(name) + ")");
                return;
            }
        }
        if (section == sectionSettings && StartsWithNoCase(trimmed, "Repertoire")) {
            Add(e.number, Severity::Warning,
                "key " + Quote(key) + " sets nothing: the key is " + Quote(keyDirectory) +
                    ", with the byte 0xE9");
            return;
        }
        Add(e.number, Severity::Warning,
            "unknown key " + Quote(key) + " in [" + Cp1252ToUtf8(section) + "] sets nothing");
    });
}

void Checker::CheckBitmap()
{
    const ScriptSetting &bitmap = model.bitmap;
    if (bitmap.line == 0 || bitmap.value.empty())
        return;
    std::string name = Quote(bitmap.value);
    DistEntry found = DistLookup(file.directory, bitmap.value);
    if (found.kind == DistKind::Missing) {
        Add(bitmap.line, Severity::Error, "picture " + name + " not found in " + file.directory);
        return;
    }
    if (found.kind == DistKind::Directory) {
        Add(bitmap.line, Severity::Error, "picture " + name + " is a directory");
        return;
    }
    std::ifstream in(found.path, std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const unsigned char *bytes = (const unsigned char *)data.data();
    if (data.size() < 14) {
        Add(bitmap.line, Severity::Error,
            "picture " + name + " is too short for a BMP file header (" +
                std::to_string(data.size()) + " bytes)");
        return;
    }
    unsigned offBits = BitmapRead32(bytes + 10);
    if (BitmapCheckOffset(offBits) != 0) {
        Add(bitmap.line, Severity::Error,
            "picture " + name + " refused: its pixel offset " + std::to_string(offBits) +
                " leaves no room for the information header");
        return;
    }
    unsigned infoSize = offBits - 14;
    if (data.size() < (size_t)offBits) {
        Add(bitmap.line, Severity::Error,
            "picture " + name + " is short: its headers end at byte " + std::to_string(offBits) +
                ", the file at " + std::to_string(data.size()));
        return;
    }
    unsigned pixelBytes = 0;
    if (BitmapCheckInfo(bytes + 14, infoSize, &pixelBytes) != 0) {
        unsigned bits = bytes[14 + 14] | bytes[14 + 15] << 8;
        unsigned compression = BitmapRead32(bytes + 14 + 16);
        Add(bitmap.line, Severity::Error,
            "picture " + name + " refused (" + std::to_string(bits) + " bits, compression " +
                std::to_string(compression) +
                "): the program shows only BMP pictures of 1, 4, 8, 16, 24 or 32 bits, "
                "uncompressed, RLE8, RLE4 or bit fields, with sound headers");
        return;
    }
    if (data.size() - offBits < pixelBytes)
        Add(bitmap.line, Severity::Error,
            "picture " + name + " is short: " + std::to_string(pixelBytes) +
                " bytes of pixels expected, " + std::to_string(data.size() - offBits) + " present");
}

void Checker::CheckFiles(int offset)
{
    WalkEntries(offset, [&](const EntryLine &e) {
        if (e.keyLength == 0 && e.valueLength == 0)
            return;
        if (!e.hasEquals) {
            Add(e.number, Severity::Error,
                std::string(e.IsBlanksOnly() ? "line of blanks" : "line without '='") +
                    " is an entry naming the setup directory itself, which cannot be copied: "
                    "the installation ends incomplete");
            return;
        }
        if (e.keyLength > textCapacity - 1)
            Add(e.number, Severity::Warning,
                "key longer than 127 characters (" + std::to_string(e.keyLength) +
                    "): it is cut to 127");

        FileEntry entry;
        entry.line = e.number;
        const char *value = e.value;
        int valueLength = e.valueLength;
        entry.toWindows = valueLength > 0 && value[0] == '%';
        if (entry.toWindows) {
            value++;
            valueLength--;
        }
        if (valueLength > textCapacity - 1)
            Add(e.number, Severity::Warning,
                "value longer than 127 characters (" + std::to_string(valueLength) +
                    "): it is cut to 127");
        char cut[textCapacity];
        TextBoundedCopy(cut, sizeof cut, value, valueLength);
        const char *source = cut;
        char *split = strrchr(cut, ';');
        if (split != nullptr) {
            *split = '\0';
            source = split + 1;
        }
        entry.destination = cut;
        entry.source = source;
        entry.found = DistLookup(file.directory, entry.source);

        if (entry.source.empty())
            Add(e.number, Severity::Error,
                "no source file named: the entry names the setup directory itself, which "
                "cannot be copied");
        else if (entry.found.kind == DistKind::Missing)
            Add(e.number, Severity::Error,
                "source file " + Quote(entry.source) + " not found in " + file.directory);
        else if (entry.found.kind == DistKind::Directory)
            Add(e.number, Severity::Error,
                "source " + Quote(entry.source) + " is a directory, which cannot be copied");
        else
            model.totalSize += entry.found.size;

        if (entry.destination.empty())
            Add(e.number, Severity::Error,
                "empty destination name: the destination is a directory and cannot be opened");
        else if (entry.toWindows && entry.destination.find_first_of("\\/") != std::string::npos)
            Add(e.number, Severity::Warning,
                "destination " + Quote(entry.destination) +
                    " has a directory: directories are not created in the Windows directory, "
                    "and the copy fails unless it exists");

        for (const FileEntry &before : model.files) {
            if (before.toWindows == entry.toWindows && !entry.destination.empty() &&
                Cp1252EqualNoCase(before.destination, entry.destination)) {
                Add(e.number, Severity::Warning,
                    "destination " + Quote(entry.destination) + " is already written by line " +
                        std::to_string(before.line) + ": this copy replaces it");
                break;
            }
        }
        model.files.push_back(entry);
    });
}

/* Whether a name relative to the installation directory is a file copied
   there, or one of the directories made for them. */
bool Checker::Installed(const std::string &name) const
{
    for (const FileEntry &f : model.files) {
        if (f.toWindows)
            continue;
        if (Cp1252EqualNoCase(f.destination, name))
            return true;
        for (size_t i = 0; i < f.destination.size(); i++) {
            if (f.destination[i] == '\\' && Cp1252EqualNoCase(f.destination.substr(0, i), name))
                return true;
        }
    }
    return false;
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
            Add(e.number, Severity::Warning,
                "shortcut " + Quote(key) + " is never made: the list ends at " + ending +
                    std::to_string(endLine));
            return;
        }
        ShortcutEntry entry;
        entry.line = e.number;
        char cut[textCapacity];
        TextBoundedCopy(cut, sizeof cut, e.line, e.keyLength);
        entry.name = cut;
        TextBoundedCopy(cut, sizeof cut, e.value, e.valueLength);
        entry.value = cut;
        model.shortcuts.push_back(entry);

        if (!e.hasEquals) {
            Add(e.number, Severity::Warning,
                std::string(e.IsBlanksOnly() ? "line of blanks is not an empty line: it"
                                             : "line without '='") +
                    " makes a shortcut named after the whole line, whose target is the "
                    "installation directory");
            return;
        }
        if (e.keyLength == 0) {
            Add(e.number, Severity::Warning, "shortcut without a name: it cannot be saved");
            return;
        }
        if (e.keyLength > textCapacity - 1)
            Add(e.number, Severity::Warning,
                "key longer than 127 characters (" + std::to_string(e.keyLength) +
                    "): it is cut to 127");
        if (e.valueLength > textCapacity - 1)
            Add(e.number, Severity::Warning,
                "value longer than 127 characters (" + std::to_string(e.valueLength) +
                    "): it is cut to 127");
        if (entry.name.size() < 4 ||
            !Cp1252EqualNoCase(entry.name.substr(entry.name.size() - 4), ".lnk"))
            Add(e.number, Severity::Warning,
                "shortcut name " + Quote(entry.name) + " does not end in \".lnk\"");

        const char *cursor = entry.value.c_str();
        char field[260];
        TextNextToken(&cursor, field, sizeof field, ',');
        if (!Installed(field))
            Add(e.number, Severity::Warning,
                "target " + Quote(field) + " is not installed by [Fichiers]");
        TextNextToken(&cursor, field, sizeof field, ',');
        if (*cursor == '%') {
            cursor++;
            TextNextToken(&cursor, field, sizeof field, ',');
            if (!Installed(field))
                Add(e.number, Severity::Warning,
                    "icon file " + Quote(std::string("%") + field) +
                        " is not installed by [Fichiers]");
        }
    });
}

void Checker::CheckSuffixes()
{
    if (model.suffixes.line == 0)
        return;
    for (const std::string &word : SuffixWords(model.suffixes.value))
        if (word[0] == '.')
            Add(model.suffixes.line, Severity::Warning,
                "suffix " + Quote(word) +
                    " is written with its dot: the program adds one and registers " +
                    Quote("." + word));
}

} // namespace

std::vector<std::string> SuffixWords(const std::string &list)
{
    std::vector<std::string> words;
    size_t p = 0;
    for (;;) {
        while (p < list.size() && (list[p] == ' ' || list[p] == '\t'))
            p++;
        if (p == list.size())
            return words;
        size_t start = p;
        while (p < list.size() && list[p] != ' ' && list[p] != '\t')
            p++;
        words.push_back(list.substr(start, p - start));
    }
}

void CheckScript(const ScriptFile &file, ScriptModel *model, std::vector<Diagnostic> *diagnostics)
{
    Checker c{file, *model, *diagnostics};
    c.CheckEncoding();
    c.CheckHeaders();

    int offset = 0;
    model->hasSettings = c.FindSection(sectionSettings, &offset);
    if (model->hasSettings) {
        int headerLine = offset > 0 ? file.LineOf((size_t)offset - 1) : 1;
        static const char *const keys[] = {keyBitmap, keyApplication, keyTitle, keyDirectory};
        ScriptSetting *const settings[] = {&model->bitmap, &model->application, &model->title,
                                           &model->directory};
        c.CheckSettings(sectionSettings, offset, keys, settings, 4, false);
        if (model->application.line == 0)
            c.Add(headerLine, Severity::Warning,
                  "no \"Application\": the proposed directory, the Start-menu group and the "
                  "uninstall entry have no name");
        if (model->title.line == 0)
            c.Add(headerLine, Severity::Warning,
                  "no \"Titre\": the backdrop, the dialogs and the messages have no caption");
        c.CheckBitmap();
    } else {
        c.Add(0, Severity::Error,
              "no section [Installer]: the program says \"La section [Installer] n'existe pas !\" "
              "and ends");
    }

    model->hasFiles = c.FindSection(sectionFiles, &offset);
    if (model->hasFiles)
        c.CheckFiles(offset);
    else
        c.Add(0, Severity::Error,
              "no section [Fichiers]: the program says \"La section [Fichiers] n'existe pas !\" "
              "and ends");

    model->hasGroup = c.FindSection(sectionGroup, &offset);
    if (model->hasGroup)
        c.CheckGroup(offset);

    model->hasRegistration = c.FindSection(sectionRegistration, &offset);
    if (model->hasRegistration) {
        static const char *const keys[] = {keySuffixes};
        ScriptSetting *const settings[] = {&model->suffixes};
        c.CheckSettings(sectionRegistration, offset, keys, settings, 1, true);
        c.CheckSuffixes();
    }
}
