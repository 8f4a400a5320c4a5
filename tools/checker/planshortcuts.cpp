/* The plan of the group folder and of the shortcuts of [Groupe]: each saved
   where the shell saves it, the first on the desktop too. */
#include "script/names.h"
#include "tools/checker/cp1252.h"
#include "tools/checker/planner.h"

/* The closing message says that an icon named after Application was put on
   the desktop; the desktop shows the shortcut's file name, without ".lnk". */
void Planner::DesktopName(const ShortcutEntry &entry, const WinPath &link)
{
    /* blanks at the end of the name show as nothing in the message */
    std::string application = model.application.value;
    application.erase(application.find_last_not_of(" \t") + 1);
    std::string shown = link.parts.empty() ? std::string() : link.parts.back();
    if (shown.size() >= 4 && Cp1252EqualNoCase(shown.substr(shown.size() - 4), ".lnk"))
        shown.resize(shown.size() - 4);
    if (application.empty() || shown == application)
        return;
    report.Add(Diag::DesktopName, entry.line, 1,
               "the desktop shortcut is named " + Cp1252Quote(shown) + ", but the closing "
               "message says that an icon " + Cp1252Quote(application) + " was created on the "
               "desktop");
}

/* The shortcut saved in folder (the group's or the desktop); false, with
   why, when the shell cannot save it there. */
bool Planner::SaveShortcut(const ShortcutEntry &entry, const std::string &folder,
                           const std::string &group, PlannedShortcut *s, std::string *why)
{
    std::string linkPath = PlanJoin(folder, entry.name, SETUP_PATH_CAPACITY);
    WinPath link = WinPathResolve(linkPath);
    switch (disk.MakeFile(link, entry.line, why)) {
    case WinDisk::Failed:
    case WinDisk::Device:
        return false;
    case WinDisk::Existed:
        if (folder == group)
            report.Add(Diag::DuplicateShortcut, entry.line, 1,
                       "shortcut " + Cp1252Quote(entry.name) + " is already made by " + *why +
                           ": this one replaces it");
        break;
    case WinDisk::Made:
        break;
    }
    s->linkPath = disk.Display(link);
    if (folder != group)
        DesktopName(entry, link);
    /* a name that climbs leaves the folder made for it */
    if (folder == group && !WinIsUnderKey(link, groupKey))
        report.Add(Diag::OutsideGroup, entry.line, 1,
                   "shortcut name " + Cp1252Quote(entry.name) + " climbs out of the group "
                   "folder: the shortcut is saved as " + Cp1252Quote(s->linkPath));
    else if (folder != group && !WinIsUnder(link, folder))
        report.Add(Diag::OutsideDesktop, entry.line, 1,
                   "shortcut name " + Cp1252Quote(entry.name) + " climbs out of the desktop: "
                   "the desktop shortcut is saved as " + Cp1252Quote(s->linkPath) +
                       ", where the user never sees it");
    return true;
}

/* The i-th entry: its target and icon, then its shortcut in the group and,
   for the first, on the desktop. A shortcut saved twice holds the last. */
void Planner::Shortcut(size_t i, const std::string &group, std::vector<PlannedShortcut> *made,
                       std::unordered_map<std::string, size_t> *madeAt)
{
    const ShortcutEntry &entry = model.shortcuts[i];
    PlannedShortcut s;
    char target[SETUP_PATH_CAPACITY];
    char icon[SETUP_PATH_CAPACITY];
    EntryShortcutPaths(&entry.fields, plan.installDir.c_str(), target, sizeof target, icon,
                       sizeof icon);
    /* The shell stores the target as a full path, spelt as given. */
    WinPath targetPath = WinPathResolve(target);
    s.target = targetPath.Text();
    s.description = entry.fields.description;
    s.iconFile = icon;
    s.iconIndex = entry.fields.iconIndex;
    if (disk.Find(targetPath) == nullptr)
        report.Add(Diag::NotInstalled, entry.line, entry.column,
                   "target " + Cp1252Quote(entry.fields.target) + " is not installed by "
                   "[" NAME_SECTION_FILES "]: the shortcut points at " + Cp1252Quote(s.target) +
                       ", which the installation does not make");
    if (entry.fields.iconInInstallDir && disk.Find(WinPathResolve(icon)) == nullptr)
        report.Add(Diag::NotInstalled, entry.line, entry.column,
                   "icon file " + Cp1252Quote(std::string("%") + entry.fields.iconFile) +
                       " is not installed by [" NAME_SECTION_FILES "]");

    std::vector<std::string> folders = {group};
    /* the desktop folder is read into a text of 128 bytes */
    if (i == 0 && options.desktopFolder.size() < (size_t)SETUP_TEXT_CAPACITY)
        folders.push_back(options.desktopFolder);
    std::string unsaved; /* why the group's shortcut cannot be saved */
    bool desktopMade = false;
    for (const std::string &folder : folders) {
        std::string why;
        if (!SaveShortcut(entry, folder, group, &s, &why)) {
            if (folder == group)
                unsaved = why;
            continue;
        }
        desktopMade = desktopMade || folder != group;
        auto known = madeAt->emplace(Cp1252UpperText(s.linkPath), made->size());
        if (known.second)
            made->push_back(s);
        else
            (*made)[known.first->second] = s;
    }
    if (!unsaved.empty() && !entry.nameRefused)
        report.Add(Diag::UnsavedShortcut, entry.line, 1,
                   "shortcut " + Cp1252Quote(PlanJoin(group, entry.name, SETUP_PATH_CAPACITY)) +
                       " cannot be saved: " + unsaved + "; no shortcut is made in the group" +
                       (i > 0          ? ""
                        : desktopMade ? ", but the desktop one is"
                                      : ", nor on the desktop"));
}

void Planner::Shortcuts()
{
    /* the Programs folder is read into a text of 128 bytes */
    if (!model.hasGroup || options.programsFolder.size() >= (size_t)SETUP_TEXT_CAPACITY)
        return;
    const std::string &name = otherGroupName.empty() ? model.application.value : otherGroupName;
    std::string group = PlanJoin(options.programsFolder, name, SETUP_TEXT_CAPACITY);
    if (otherGroupName.empty())
        WarnCut("the group folder", options.programsFolder, group);
    std::string why;
    WinDisk::Result folder = disk.MakeDirectory(group, 0, &why);
    if (folder == WinDisk::Failed || folder == WinDisk::Device) {
        groupProblem = Problem(Diag::GroupUnmade,
                               "the group folder " + Cp1252Quote(group) + " cannot be made (only "
                               "its last level is created): " + why + "; the program says \"Ne "
                               "peut cr\xC3\xA9" "er\" and makes no shortcut",
                               true);
        return;
    }
    plan.directories = disk.MadeDirectories();
    PlanSort(&plan.directories, [](const std::string &d) { return Cp1252ToUtf8(d); });

    groupKey = WinPathResolve(group).Key();
    std::unordered_map<std::string, size_t> madeAt;
    for (size_t i = 0; i < model.shortcuts.size(); i++)
        Shortcut(i, group, &plan.shortcuts, &madeAt);
    PlanSort(&plan.shortcuts, [](const PlannedShortcut &s) { return Cp1252ToUtf8(s.linkPath); });
}
