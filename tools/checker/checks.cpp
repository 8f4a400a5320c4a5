/* The order of the checks of a script, which is that of the program's
   reading: settings, files, shortcuts, suffixes. */
#include "tools/checker/checks.h"

#include <algorithm>

#include "script/names.h"
#include "tools/checker/cp1252.h"

const ScriptNames &ScriptNamesCp1252()
{
    static const ScriptNames names = {
        Cp1252FromName(NAME_SECTION_SETTINGS), Cp1252FromName(NAME_SECTION_FILES),
        Cp1252FromName(NAME_SECTION_GROUP),    Cp1252FromName(NAME_SECTION_REGISTRATION),
        Cp1252FromName(NAME_KEY_BITMAP),       Cp1252FromName(NAME_KEY_APPLICATION),
        Cp1252FromName(NAME_KEY_TITLE),        Cp1252FromName(NAME_KEY_DIRECTORY),
        Cp1252FromName(NAME_KEY_SUFFIXES),
    };
    return names;
}

void CheckScript(const ScriptFile &file, ScriptModel *model, Report *report)
{
    if (!CheckWholeFile(file, *report))
        return;
    CheckEncoding(file, *report);
    CheckHeaders(file, *report, model);

    const ScriptNames &n = ScriptNamesCp1252();
    DistDirectory distribution;
    distribution.root = file.directory;
    CheckContext c{file, *model, *report, distribution};
    size_t offset;
    int line;
    model->hasSettings = SectionFind(file, n.settings, &offset, &line);
    if (model->hasSettings) {
        model->settingsLine = line;
        CheckSettings(c, offset);
        CheckProduct(c);
        CheckPicture(c);
    } else {
        report->Add(Diag::NoSettingsSection, 1, 1,
                    "no section [" NAME_SECTION_SETTINGS "]: the program says \"La section "
                    "[" NAME_SECTION_SETTINGS "] n'existe pas !\" and ends");
    }

    model->hasFiles = SectionFind(file, n.files, &offset, &line);
    if (model->hasFiles) {
        model->filesLine = line;
        CheckFiles(c, offset);
    } else {
        report->Add(Diag::NoFilesSection, 1, 1,
                    "no section [" NAME_SECTION_FILES "]: the program says \"La section "
                    "[" NAME_SECTION_FILES "] n'existe pas !\" and ends");
    }

    model->hasGroup = SectionFind(file, n.group, &offset, &line);
    if (model->hasGroup) {
        model->groupLine = line;
        CheckGroup(c, offset);
    }
    if (model->hasSettings && model->hasFiles)
        CheckClosingMessage(c);

    model->hasRegistration = SectionFind(file, n.registration, &offset, &line);
    if (model->hasRegistration)
        CheckRegistration(c, offset);
    CheckNamesCodePage(c);
}

void CheckNamesCodePage(CheckContext &c)
{
    /* Read in UTF-8 the names are garbled, which the error of a script saved
       in UTF-8 tells; they are told here once it is saved in code page 1252. */
    for (const Diagnostic &d : c.report.found)
        if (d.id == Diag::Utf8Script)
            return;
    /* Every name the installation makes or writes, with its line: the
       folder and keys of Application, the proposed directory, the files
       copied, the shortcuts, their targets and icons, the suffixes. */
    struct Name {
        const std::string *text;
        int line;
    };
    const ScriptModel &m = c.model;
    std::vector<Name> names = {{&m.application.value, m.application.line},
                               {&m.directory.value, m.directory.line},
                               {&m.suffixes.value, m.suffixes.line}};
    for (const FileEntry &f : m.files)
        names.push_back({&f.destination, f.line});
    std::vector<std::string> fields;
    fields.reserve(m.shortcuts.size() * 2);
    for (const ShortcutEntry &s : m.shortcuts) {
        fields.push_back(s.fields.target);
        fields.push_back(s.fields.iconFile);
    }
    for (size_t i = 0; i < m.shortcuts.size(); i++) {
        names.push_back({&m.shortcuts[i].name, m.shortcuts[i].line});
        names.push_back({&fields[2 * i], m.shortcuts[i].line});
        names.push_back({&fields[2 * i + 1], m.shortcuts[i].line});
    }
    std::vector<Name> found;
    for (const Name &n : names)
        for (unsigned char byte : *n.text)
            if (byte > 0x7F) {
                found.push_back(n);
                break;
            }
    if (found.empty())
        return;
    std::sort(found.begin(), found.end(),
              [](const Name &a, const Name &b) { return a.line < b.line; });
    std::string listed;
    for (size_t i = 0; i < found.size() && i < 3; i++)
        listed += (i ? ", " : "") + Cp1252Quote(*found[i].text) + " (line " +
                  std::to_string(found[i].line) + ")";
    if (found.size() > 3)
        listed += " and " + std::to_string(found.size() - 3) + " more";
    c.report.Add(Diag::CodePage, found[0].line, 1,
                 std::to_string(found.size()) + " name" + (found.size() > 1 ? "s" : "") +
                     " of the installation hold letters outside ASCII: " + listed +
                     "; the script is code page 1252, and Windows reads its bytes in the "
                     "machine's ANSI code page, so on a machine set to another (Central "
                     "European, Cyrillic, Greek, Turkish, Baltic, East Asian, or the UTF-8 "
                     "option) these names become other letters");
}
