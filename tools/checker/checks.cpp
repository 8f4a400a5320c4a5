/* The order of the checks of a script, which is that of the program's
   reading: settings, files, shortcuts, suffixes. */
#include "tools/checker/checks.h"

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
}
