/* The checks of the keys of [Installer] and [Enregistrement], read into the
   model as the program reads them: the product's name and title, and the
   Suffixes list. */
#include "actions/registrationrows.h"
#include "script/names.h"
#include "script/scan.h"
#include "tools/checker/checks.h"
#include "tools/checker/cp1252.h"
#include "tools/checker/winpath.h"
#include "util/text.h"

namespace {

/* A key of a section and the setting it fills. */
struct SectionKey {
    const std::string &name;
    ScriptSetting &setting;
};

/* How the program reads a section of keys. */
struct SectionKeys {
    const std::string &section;
    std::vector<SectionKey> keys;
    /* Its reader passes over the lines that carry no entry ("=" alone):
       they cannot even be a key without a name. */
    bool passesOverNothing;
};

bool StartsWithNoCase(const std::string &text, const std::string &prefix)
{
    return text.size() >= prefix.size() &&
           Cp1252EqualNoCase(text.substr(0, prefix.size()), prefix);
}

/* Whether the key is "Répertoire" written in UTF-8. */
bool IsUtf8Directory(const std::string &key)
{
    static const char utf8[] = NAME_KEY_DIRECTORY;
    size_t first = key.find_first_not_of(" \t");
    return first != std::string::npos && key.compare(first, sizeof utf8 - 1, utf8) == 0;
}

/* A line the program takes for key k. */
void CheckMatchedKey(CheckContext &c, const EntryLine &e, const SectionKey &k)
{
    std::string key = e.Key();
    if (key != k.name)
        c.report.Add(Diag::KeyPrefix, e.number, 1,
                     "key " + Cp1252Quote(key) + " is read as " + Cp1252Quote(k.name) +
                         ": keys match by their beginning");
    else if (!e.hasEquals)
        c.report.Add(Diag::NoEquals, e.number, 1,
                     "line without '=' sets " + Cp1252Quote(k.name) + " to an empty value");
    CheckCut(c, e, e.valueLength);
    if (k.setting.line != 0)
        c.report.Add(Diag::RepeatedKey, e.number, 1,
                     Cp1252Quote(k.name) + " set again: this line replaces line " +
                         std::to_string(k.setting.line));
    char cut[SETUP_TEXT_CAPACITY];
    TextBoundedCopy(cut, sizeof cut, e.value, e.valueLength);
    k.setting.value = cut;
    k.setting.line = e.number;
    k.setting.column = e.ValueColumn();
}

/* A line that sets nothing: what the writer surely meant. */
void CheckUnmatchedKey(CheckContext &c, const EntryLine &e, const SectionKeys &s)
{
    const ScriptNames &n = ScriptNamesCp1252();
    bool settings = &s.section == &n.settings;
    /* The proposal comes from the program-files directory: the key matters
       only on a system that names none. */
    static const char unusedDirectory[] =
        ", used only when the system names no program-files directory; the proposal comes "
        "from the program-files directory anyway";
    std::string key = e.Key();
    if (settings && IsUtf8Directory(key)) {
        c.report.Add(Diag::UnknownKey, e.number, 1,
                     "key " + Cp1252Quote(key) + " sets nothing: \"" NAME_KEY_DIRECTORY
                     "\" is written in UTF-8 (0xC3 0xA9) and the key has the single byte 0xE9" +
                         std::string(unusedDirectory));
        return;
    }
    if (e.keyLength == 0) {
        c.report.Add(Diag::EmptyKey, e.number, 1, "line with an empty key sets nothing");
        return;
    }
    size_t first = key.find_first_not_of(" \t");
    std::string trimmed = first == std::string::npos ? std::string() : key.substr(first);
    if (!trimmed.empty() && trimmed[0] == '[')
        return; /* told with the headers */
    for (const SectionKey &k : s.keys) {
        if (first > 0 && trimmed.compare(0, k.name.size(), k.name) == 0) {
            c.report.Add(Diag::IndentedKey, e.number, 1,
                         "indented key " + Cp1252Quote(key) +
                             " sets nothing: keys are read from the first column only");
            return;
        }
        if (StartsWithNoCase(trimmed, k.name)) {
            c.report.Add(Diag::KeyCase, e.number, 1,
                         "key " + Cp1252Quote(key) + " sets nothing: keys are case-sensitive "
                         "(write " + Cp1252Quote(k.name) + ")");
            return;
        }
    }
    /* "Répertoire" written without its accent */
    std::string unaccented = n.directory;
    for (char &ch : unaccented)
        ch = ch == '\xE9' ? 'e' : ch;
    if (settings && StartsWithNoCase(trimmed, unaccented)) {
        c.report.Add(Diag::UnknownKey, e.number, 1,
                     "key " + Cp1252Quote(key) + " sets nothing: the key is " +
                         Cp1252Quote(n.directory) + ", with the byte 0xE9" + unusedDirectory);
        return;
    }
    c.report.Add(Diag::UnknownKey, e.number, 1,
                 "unknown key " + Cp1252Quote(key) + " in [" + Cp1252ToUtf8(s.section) +
                     "] sets nothing");
}

void CheckKeys(CheckContext &c, size_t offset, const SectionKeys &s)
{
    SectionWalk(c.file, offset, [&](const EntryLine &e) {
        if (e.IsBlankOrComment() || e.IsBlanksOnly())
            return;
        if (s.passesOverNothing && e.CarriesNothing())
            return;
        const SectionKey *matched = nullptr;
        for (const SectionKey &k : s.keys) {
            if (ScriptKeyMatches(e.line, k.name.c_str()))
                matched = &k;
        }
        if (matched != nullptr)
            CheckMatchedKey(c, e, *matched);
        else
            CheckUnmatchedKey(c, e, s);
    });
}

/* "...\Last\Key" of a key path ending with a backslash. */
std::string ShortKey(const char *key)
{
    std::string path = key;
    path.pop_back();
    size_t last = path.rfind('\\');
    size_t before = last == std::string::npos || last == 0 ? 0 : path.rfind('\\', last - 1);
    return "..." + path.substr(before == std::string::npos ? 0 : before);
}

void CheckSuffixWord(CheckContext &c, const std::string &w, int column)
{
    const ScriptSetting &suffixes = c.model.suffixes;
    RegistrationRow row;
    RegistrationComposeSuffix(w.c_str(), (int)w.size(), &row);
    std::string key = Cp1252Quote(row.key);
    if (w[0] == '.')
        c.report.Add(Diag::SuffixDot, suffixes.line, column,
                     "suffix " + Cp1252Quote(w) +
                         " is written with its dot: the program adds one and registers " + key);
    if (w.find_first_of(",;") != std::string::npos)
        c.report.Add(Diag::SuffixSeparator, suffixes.line, column,
                     "suffixes are separated by blanks only: " + Cp1252Quote(w) +
                         " is one suffix, " + key);
    else if (w.find('\\') != std::string::npos)
        c.report.Add(Diag::SuffixSeparator, suffixes.line, column,
                     "suffix " + Cp1252Quote(w) + " holds a '\\': the program makes the key " +
                         key + " below the key of what comes before it");
}

} // namespace

void CheckCut(CheckContext &c, const EntryLine &e, int valueLength)
{
    const int most = SETUP_TEXT_CAPACITY - 1;
    std::string cutTo = "): it is cut to " + std::to_string(most);
    if (e.keyLength > most)
        c.report.Add(Diag::Cut, e.number, most + 1,
                     "key longer than " + std::to_string(most) + " characters (" +
                         std::to_string(e.keyLength) + cutTo);
    if (valueLength > most)
        c.report.Add(Diag::Cut, e.number, e.ValueColumn() + e.valueLength - valueLength + most,
                     "value longer than " + std::to_string(most) + " characters (" +
                         std::to_string(valueLength) + cutTo);
}

void CheckSettings(CheckContext &c, size_t offset)
{
    const ScriptNames &n = ScriptNamesCp1252();
    ScriptModel &m = c.model;
    /* in the order the program tests them */
    CheckKeys(c, offset, SectionKeys{n.settings,
                                     {{n.bitmap, m.bitmap},
                                      {n.application, m.application},
                                      {n.title, m.title},
                                      {n.directory, m.directory}},
                                     false});
}

/* Without a name of its own the product lands in the folders that should
   hold it: program files, the Programs menu, the key of every uninstall
   entry. Without a title nothing has a caption. */
void CheckProduct(CheckContext &c)
{
    const ScriptSetting &application = c.model.application;
    const ScriptSetting &title = c.model.title;
    int header = c.model.settingsLine;
    RegistrationTexts nameless = {"", "", ""};
    RegistrationRow displayName, uninstallString;
    RegistrationComposeRow(ROW_DISPLAY_NAME, &nameless, &displayName);
    RegistrationComposeRow(ROW_UNINSTALL_STRING, &nameless, &uninstallString);
    std::string what = application.line == 0 ? "no \"" NAME_KEY_APPLICATION "\""
                       : application.value.empty()
                           ? "empty \"" NAME_KEY_APPLICATION "\""
                           : "\"" NAME_KEY_APPLICATION "\" " + Cp1252Quote(application.value) +
                                 " names no folder of its own";
    if (application.line == 0 || WinPathResolve(application.value).parts.empty())
        c.report.Add(Diag::NoApplication, application.line != 0 ? application.line : header,
                     application.line != 0 ? application.column : 1,
                     what + ": the program proposes the program-files directory itself and "
                            "installs straight into it, makes the shortcuts in the Programs "
                            "folder itself, and writes " +
                         std::string(displayName.valueName) + " and " +
                         uninstallString.valueName + " on the " + ShortKey(displayName.key) +
                         " key itself");
    if (title.line == 0 || title.value.empty())
        c.report.Add(Diag::NoTitle, title.line != 0 ? title.line : header, 1,
                     std::string(title.line == 0 ? "no" : "empty") +
                         " \"" NAME_KEY_TITLE "\": the backdrop, the dialogs and the messages "
                         "have no caption");
}

void CheckRegistration(CheckContext &c, size_t offset)
{
    const ScriptNames &n = ScriptNamesCp1252();
    ScriptModel &m = c.model;
    CheckKeys(c, offset, SectionKeys{n.registration, {{n.suffixes, m.suffixes}}, true});
    if (m.suffixes.line == 0)
        return;
    const char *list = m.suffixes.value.c_str();
    const char *cursor = list;
    const char *word;
    int length;
    while (EntryNextSuffix(&cursor, &word, &length) == 0) {
        std::string w(word, (size_t)length);
        m.suffixWords.push_back(w);
        CheckSuffixWord(c, w, m.suffixes.column + (int)(word - list));
    }
}
