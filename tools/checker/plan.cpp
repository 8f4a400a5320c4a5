#include "tools/checker/plan.h"

#include <algorithm>
#include <map>

#include "actions/registrationrows.h"
#include "script/entry.h"
#include "tools/checker/cp1252.h"
#include "tools/checker/winpath.h"
#include "ui/dirpath.h"
#include "util/text.h"

namespace {

/* Sizes of the program's buffers, terminator included. */
const int shortText = SETUP_TEXT_CAPACITY; /* settings, installDir, folders */
const int pathText = SETUP_PATH_CAPACITY;  /* destinations, shortcut fields, registry texts */

/* text cut as the program's bounded copy into capacity bytes cuts it */
std::string Cut(const std::string &text, int capacity)
{
    std::vector<char> buffer((size_t)capacity);
    TextBoundedCopy(buffer.data(), capacity, text.data(), (int)text.size());
    return buffer.data();
}

std::string Join(const std::string &folder, const std::string &name, int capacity)
{
    std::vector<char> buffer((size_t)capacity);
    EntryJoinPath(buffer.data(), capacity, folder.c_str(), name.c_str());
    return buffer.data();
}

bool Less(const std::string &a, const std::string &b)
{
    return Cp1252ToUtf8(a) < Cp1252ToUtf8(b);
}

std::string Quote(const std::string &bytes)
{
    return "\"" + Cp1252ToUtf8(bytes) + "\"";
}

/* The files and directories of the machine, as far as the installation
   sees them: the folders it finds, and what it makes. Names keep the
   spelling they were made with. */
class Disk {
public:
    enum Result { Made, Existed, Failed, Device };

    struct Node {
        std::string spelling; /* of its last part */
        bool directory;
        bool made;            /* by the installation */
        int line;             /* of the entry that made it */
        std::string display;  /* the whole name as the file system shows it */
    };

    /* path and every directory above it exist before the installation. */
    void Existing(const std::string &path)
    {
        WinPath p = WinPathResolve(path);
        for (size_t i = 1; i <= p.parts.size(); i++)
            Insert(p, i, Node{p.parts[i - 1], true, false, 0, ""});
    }

    const Node *Find(const WinPath &p, size_t count = (size_t)-1) const
    {
        auto found = nodes_.find(p.Key(count));
        return found == nodes_.end() ? nullptr : &found->second;
    }

    /* The name as the file system shows it. */
    std::string Display(const WinPath &p) const
    {
        std::string text = p.root.size() == 2 ? p.Key(0) : p.root;
        for (size_t i = 0; i < p.parts.size(); i++) {
            const Node *n = Find(p, i + 1);
            text += "\\" + (n != nullptr ? n->spelling : p.parts[i]);
        }
        if (p.parts.empty() || p.trailingSeparator)
            text += "\\";
        return text;
    }

    /* CreateDirectoryA: an existing name of any kind is accepted. */
    Result MakeDirectory(const std::string &path, int line, std::string *why)
    {
        WinPath p = WinPathResolve(path);
        if (p.parts.empty() || Find(p) != nullptr)
            return Existed;
        if (!ParentExists(p, why) || !NameAllowed(p, why))
            return Failed;
        /* A device answers that it exists, and is no directory. */
        bool device = WinIsDeviceName(p.parts.back());
        Insert(p, p.parts.size(), Node{p.parts.back(), !device, !device, line, ""});
        if (device)
            *why = "Windows takes " + Quote(p.parts.back()) + " for a device";
        return device ? Device : Made;
    }

    /* CreateFileA for writing, opening an existing file. */
    Result MakeFile(const std::string &path, int line, std::string *why)
    {
        WinPath p = WinPathResolve(path);
        if (p.parts.empty() || p.trailingSeparator) {
            *why = "it names a directory";
            return Failed;
        }
        if (!ParentExists(p, why) || !NameAllowed(p, why))
            return Failed;
        if (WinIsDeviceName(p.parts.back())) {
            *why = "Windows takes " + Quote(p.parts.back()) + " for a device";
            return Device;
        }
        const Node *n = Find(p);
        if (n != nullptr && n->directory) {
            *why = Quote(Display(p)) + " is a directory" +
                   (n->made && n->line > 0 ? " made for line " + std::to_string(n->line) : "");
            return Failed;
        }
        if (n != nullptr) {
            *why = n->made ? "line " + std::to_string(n->line) : "";
            return Existed;
        }
        Insert(p, p.parts.size(), Node{p.parts.back(), false, true, line, ""});
        return Made;
    }

    /* The directories made, as the file system names them. */
    std::vector<std::string> MadeDirectories() const
    {
        std::vector<std::string> made;
        for (const auto &n : nodes_) {
            if (n.second.made && n.second.directory)
                made.push_back(n.second.display);
        }
        return made;
    }

private:
    /* The first count parts of p become node, unless they name one already. */
    void Insert(const WinPath &p, size_t count, Node node)
    {
        WinPath named = p;
        named.parts.resize(count);
        named.trailingSeparator = false;
        if (nodes_.emplace(named.Key(), node).second)
            nodes_[named.Key()].display = Display(named);
    }

    bool ParentExists(const WinPath &p, std::string *why) const
    {
        if (p.parts.size() == 1)
            return true;
        const Node *parent = Find(p, p.parts.size() - 1);
        if (parent != nullptr && parent->directory)
            return true;
        WinPath above = p;
        above.parts.pop_back();
        above.trailingSeparator = false;
        *why = Quote(Display(above)) + (parent == nullptr ? " does not exist" : " is no directory");
        char end = p.parts[p.parts.size() - 2].back();
        if (parent == nullptr && (end == ' ' || end == '.'))
            *why += " (a directory is made without the blanks and dots that end its name, but "
                    "they stay in a path that goes on below it)";
        return false;
    }

    bool NameAllowed(const WinPath &p, std::string *why) const
    {
        std::string problem = WinNameProblem(p.parts.back());
        if (problem.empty())
            return true;
        *why = Quote(p.parts.back()) + " holds " + problem + ", which Windows refuses in a name";
        return false;
    }

    std::map<std::string, Node> nodes_;
};

struct Planner {
    const ScriptModel &model;
    const PlanOptions &options;
    /* When set, the installation directory and the group folder's name
       checked in place of those the installation would use. */
    std::string otherInstallDir;
    std::string otherGroupName;
    std::vector<Diagnostic> out;
    /* The installation directory or the group folder cannot be made: told
       apart, since they hide what the other lines do. */
    Diagnostic installDirProblem{0, 0, Severity::Error, nullptr, ""};
    Diagnostic groupProblem{0, 0, Severity::Error, nullptr, ""};
    Plan plan;
    Disk disk;
    bool proposed = false;       /* installDir is the Directory dialog's proposal */

    Planner(const ScriptModel &m, const PlanOptions &o) : model(m), options(o) {}

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

    /* A problem of the installation directory or the group folder, told at
       the Application line they are made of, or at the top. */
    void SetProblem(Diagnostic *problem, const std::string &message, bool madeOfApplication = true)
    {
        bool atApplication = madeOfApplication && model.application.line != 0;
        *problem = Diagnostic{atApplication ? model.application.line : 1,
                              atApplication ? model.application.column : 1, Severity::Error,
                              nullptr, message};
    }
    bool InstallDirFailed() const { return installDirProblem.line != 0; }

    /* folder, '\\' and Application, made into a 128-byte text as made. */
    void WarnCut(const std::string &what, const std::string &folder, const std::string &made)
    {
        size_t whole = folder.size() + 1 + model.application.value.size();
        if (whole < (size_t)shortText)
            return;
        bool atApplication = model.application.line != 0;
        Add(atApplication ? model.application.line : 1,
            atApplication ? model.application.column : 1, "cut-folder",
            what + " is " + std::to_string(whole) + " characters long and is cut to 127, " +
                Quote(made) + ", while the uninstall entry and the closing message bear the "
                "whole name");
    }

    bool IsUnder(const WinPath &path, const std::string &directory) const
    {
        std::string top = WinPathResolve(directory).Key();
        std::string key = path.Key();
        return key.compare(0, top.size(), top) == 0 &&
               (key.size() == top.size() || key[top.size()] == '\\');
    }

    void Run()
    {
        InstallationDirectory();
        Copies();
        Programs();
        Shortcuts();
        Registry();
    }
    void InstallationDirectory();
    void Copies();
    void Copy(const FileEntry &f, std::vector<PlannedCopy> *copies);
    void Programs();
    void DesktopName(const ShortcutEntry &entry, const WinPath &link);
    void Shortcuts();
    void Registry();
};

void Planner::InstallationDirectory()
{
    /* What the Directory dialog shows: program files, '\' and Application;
       a folder too long for installDir is not read, and the directory the
       script proposes stays. */
    std::string typed = !otherInstallDir.empty() ? otherInstallDir : options.installDir;
    if (typed.empty()) {
        proposed = true;
        if (options.programFilesDir.size() < (size_t)shortText) {
            typed = Join(options.programFilesDir, model.application.value, shortText);
            WarnCut("the proposed installation directory", options.programFilesDir, typed);
        } else {
            typed = model.directory.value;
        }
    }
    std::string current = Cut(options.currentDir, pathText);
    WinPath currentPath = WinPathResolve(current);
    /* a network path has no drive letter */
    int drive = currentPath.root.size() != 2 ? 0 : (int)Cp1252Upper((unsigned char)current[0]) - 64;
    char result[shortText];
    DirectoryNormalise(Cut(typed, pathText).c_str(), current.c_str(), drive, result,
                       sizeof result);
    plan.installDir = result;
}

void Planner::Copies()
{
    disk.Existing(options.windowsDir);
    disk.Existing(options.programFilesDir);
    disk.Existing(options.programsFolder);
    disk.Existing(options.desktopFolder);
    disk.Existing(options.currentDir);

    long long total = 0;
    std::vector<PlannedCopy> copies;
    for (const FileEntry &f : model.files) {
        /* a source that cannot be opened stops the entry before anything is made */
        if (f.found.kind != DistKind::File)
            continue;
        total += f.found.size;
        Copy(f, &copies);
    }
    /* The Directory dialog's figure is a 32-bit number of kilobytes. */
    plan.sizeKb = (total + 1023) / 1024;
    if (plan.sizeKb > 0x7fffffffLL) {
        Add(model.filesLine, 1, "size",
            "the files add up to " + std::to_string(total) +
                " bytes, more than 2 TiB: the Directory dialog shows 2147483647 Kb, its "
                "largest figure");
        plan.sizeKb = 0x7fffffffLL;
    }

    std::sort(copies.begin(), copies.end(), [](const PlannedCopy &a, const PlannedCopy &b) {
        return Less(a.destination, b.destination);
    });
    plan.copies = copies;
    plan.directories = disk.MadeDirectories();
    std::sort(plan.directories.begin(), plan.directories.end(), Less);
}

void Planner::Copy(const FileEntry &f, std::vector<PlannedCopy> *copies)
{
    char path[pathText];
    std::string why;
    bool directoryFailed = false; /* and already told */
    std::string base = f.toWindows ? "Windows" : "installation";
    if (f.toWindows) {
        /* A Windows directory or a destination too long for the
           program's text fails the copy. */
        int end = TextBoundedCopy(path, sizeof path, options.windowsDir.c_str(),
                                  (int)options.windowsDir.size());
        if (options.windowsDir.size() >= sizeof path ||
            EntryJoinWindows(path, sizeof path, end, f.destination.c_str()) != 0) {
            Add(f.line, f.column, nullptr,
                "destination in the Windows directory longer than 259 characters (" +
                    std::to_string(options.windowsDir.size() + 1 + f.destination.size()) +
                    "): the program says \"Ne peut ouvrir\" and copies nothing for this line");
            return;
        }
    } else {
        /* 127 + 1 + 127 characters at most: never cut */
        EntryJoinPath(path, sizeof path, plan.installDir.c_str(), f.destination.c_str());
        for (int i = EntryNextDirectory(path, 0); i >= 0; i = EntryNextDirectory(path, i + 1)) {
            std::string directory(path, (size_t)i);
            Disk::Result made = disk.MakeDirectory(directory, f.line, &why);
            if (made != Disk::Failed && made != Disk::Device)
                continue;
            /* The program makes every directory of the installation
               directory for each file: what fails there fails them all. */
            if (IsUnder(WinPathResolve(plan.installDir), directory)) {
                if (!InstallDirFailed())
                    SetProblem(&installDirProblem,
                               "the installation directory " + Quote(plan.installDir) +
                                   " cannot be made: " + why + "; the program says \"Ne "
                                   "peut cr\xC3\xA9" "er\" or \"Ne peut ouvrir\" for "
                                   "every file and copies none",
                               proposed);
            } else if (made == Disk::Failed && !f.broken) {
                Add(f.line, f.column, nullptr,
                    "directory " + Quote(disk.Display(WinPathResolve(directory))) +
                        " cannot be made: " + why + "; the program says \"Ne peut cr\xC3\xA9"
                        "er\", then \"Ne peut ouvrir\" for the file, and copies nothing for "
                        "this line");
            }
            /* The program makes no further directory, and opens the file
               all the same: a ".." may lead it where the directories are. */
            if (made == Disk::Failed) {
                directoryFailed = true;
                break;
            }
        }
    }

    WinPath destination = WinPathResolve(path);
    WinPath above = destination;
    if (!above.parts.empty())
        above.parts.pop_back();
    bool inWindowsSubdirectory = f.toWindows && !above.parts.empty() &&
                                 IsUnder(above, options.windowsDir) &&
                                 above.Key() != WinPathResolve(options.windowsDir).Key();
    if (inWindowsSubdirectory) {
        /* No directory is made there: only those every Windows directory
           has are found. */
        static const char *const usual[] = {"System", "System32", "Fonts", "Help", "Inf", "Temp"};
        for (const char *name : usual) {
            if (above.Key() == WinPathResolve(options.windowsDir + "\\" + name).Key())
                disk.Existing(above.Text());
        }
    }
    std::string shown = Quote(disk.Display(destination));
    switch (disk.MakeFile(path, f.line, &why)) {
    case Disk::Failed:
        if (inWindowsSubdirectory && disk.Find(above) == nullptr)
            AddError(f.line, f.column, "windows-subdirectory",
                     "destination " + shown + " cannot be opened: the program makes no "
                     "directory in the Windows directory, and " + Quote(disk.Display(above)) +
                         " is none of those every Windows directory has (System, System32, "
                         "Fonts, Help, Inf, Temp); it says \"Ne peut ouvrir\" and copies "
                         "nothing for this line");
        else if (!f.broken && !directoryFailed)
            Add(f.line, f.column, nullptr,
                "destination " + shown + " cannot be opened: " + why +
                    "; the program says \"Ne peut ouvrir\" and copies nothing for this line");
        return;
    case Disk::Device:
        Add(f.line, f.column, nullptr,
            "destination " + shown + ": " + why + ", and no file of that name is made");
        return;
    case Disk::Existed:
        Add(f.line, f.column, "duplicate-destination",
            "destination " + shown + " is already written" +
                (why.empty() ? std::string() : " by " + why) + ": this copy replaces it");
        break;
    case Disk::Made:
        break;
    }
    if (!IsUnder(destination, f.toWindows ? options.windowsDir : plan.installDir))
        Add(f.line, f.column, "outside-installation",
            "destination " + Quote(f.destination) + " climbs out of the " + base +
                " directory: the program copies the file to " + shown);

    std::string display = disk.Display(destination);
    for (PlannedCopy &c : *copies) {
        if (Cp1252EqualNoCase(c.destination, display)) {
            c.size = f.found.size;
            c.source = f.found.name;
            return;
        }
    }
    copies->push_back({display, f.found.size, f.found.name});
}

/* The registry names two programs of the product whatever the script
   installs: Tavelin.exe in the installation directory, Untave.exe in the
   Windows directory. */
void Planner::Programs()
{
    char work[pathText];
    std::string program = Join(plan.installDir, "Tavelin.exe", pathText);
    const Disk::Node *found = disk.Find(WinPathResolve(program));
    if (found == nullptr || found->directory)
        AddError(model.filesLine, 1, "no-program",
                 "no \"Tavelin.exe\" is installed at the top of the installation directory: App "
                 "Paths names " + Quote(program) + ", which is not there, and after \"Oui\" to "
                 "the question every text file opens and prints with it: a double-click on a "
                 ".txt file then fails");

    std::string windows = options.windowsDir.size() < (size_t)pathText ? options.windowsDir : "";
    RegistrationTexts texts = {plan.installDir.c_str(), "", windows.c_str()};
    RegistrationRow row;
    RegistrationComposeRow(ROW_UNINSTALL_STRING, &texts, &row);
    TextBoundedCopy(work, sizeof work, row.data, TextLength(row.data));
    found = disk.Find(WinPathResolve(Join(windows, "Untave.exe", pathText)));
    if (found == nullptr || found->directory)
        Add(model.filesLine, 1, "no-uninstaller",
            "nothing installs \"Untave.exe\" into the Windows directory: the uninstall entry "
            "runs " + Quote(work) + ", which fails, and the product cannot be removed from the "
            "list of installed programs");
}

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
    Add(entry.line, 1, "desktop-name",
        "the desktop shortcut is named " + Quote(shown) + ", but the closing message says that "
        "an icon " + Quote(application) + " was created on the desktop");
}

void Planner::Shortcuts()
{
    if (!model.hasGroup || options.programsFolder.size() >= (size_t)shortText)
        return;
    const std::string &name = otherGroupName.empty() ? model.application.value : otherGroupName;
    std::string group = Join(options.programsFolder, name, shortText);
    if (otherGroupName.empty())
        WarnCut("the group folder", options.programsFolder, group);
    std::string why;
    Disk::Result folder = disk.MakeDirectory(group, 0, &why);
    if (folder == Disk::Failed || folder == Disk::Device) {
        SetProblem(&groupProblem, "the group folder " + Quote(group) + " cannot be made (only its "
                                  "last level is created): " + why + "; the program says \"Ne "
                                  "peut cr\xC3\xA9" "er\" and makes no shortcut");
        return;
    }
    plan.directories = disk.MadeDirectories();
    std::sort(plan.directories.begin(), plan.directories.end(), Less);

    std::vector<PlannedShortcut> made;
    for (size_t i = 0; i < model.shortcuts.size(); i++) {
        const ShortcutEntry &entry = model.shortcuts[i];
        PlannedShortcut s;
        char target[pathText];
        char icon[pathText];
        EntryShortcutPaths(&entry.fields, plan.installDir.c_str(), target, sizeof target, icon,
                           sizeof icon);
        /* The shell stores the target as a full path, spelt as given. */
        WinPath targetPath = WinPathResolve(target);
        s.target = targetPath.Text();
        s.description = entry.fields.description;
        s.iconFile = icon;
        s.iconIndex = entry.fields.iconIndex;

        if (disk.Find(targetPath) == nullptr)
            Add(entry.line, entry.column, "not-installed",
                "target " + Quote(entry.fields.target) + " is not installed by [Fichiers]: the "
                "shortcut points at " + Quote(s.target) + ", which the installation does not make");
        if (entry.fields.iconInInstallDir && disk.Find(WinPathResolve(icon)) == nullptr)
            Add(entry.line, entry.column, "not-installed",
                "icon file " + Quote(std::string("%") + entry.fields.iconFile) +
                    " is not installed by [Fichiers]");

        std::vector<std::string> folders = {group};
        if (i == 0 && options.desktopFolder.size() < (size_t)shortText)
            folders.push_back(options.desktopFolder);
        std::string unsaved; /* why the group's shortcut cannot be saved */
        bool desktopMade = false;
        for (const std::string &folder : folders) {
            std::string linkPath = Join(folder, entry.name, pathText);
            WinPath link = WinPathResolve(linkPath);
            switch (disk.MakeFile(linkPath, entry.line, &why)) {
            case Disk::Failed:
            case Disk::Device:
                if (folder == group)
                    unsaved = why;
                continue;
            case Disk::Existed:
                if (folder == group)
                    Add(entry.line, 1, "duplicate-shortcut",
                        "shortcut " + Quote(entry.name) + " is already made by " + why +
                            ": this one replaces it");
                break;
            case Disk::Made:
                break;
            }
            s.linkPath = disk.Display(link);
            if (folder != group) {
                desktopMade = true;
                DesktopName(entry, link);
            }
            /* a name that climbs leaves the folder made for it */
            if (folder == group && !IsUnder(link, group))
                Add(entry.line, 1, "outside-group",
                    "shortcut name " + Quote(entry.name) + " climbs out of the group folder: "
                    "the shortcut is saved as " + Quote(s.linkPath));
            else if (folder != group && !IsUnder(link, folder))
                AddError(entry.line, 1, "outside-desktop",
                         "shortcut name " + Quote(entry.name) + " climbs out of the desktop: "
                         "the desktop shortcut is saved as " + Quote(s.linkPath) +
                             ", where the user never sees it");
            auto same = std::find_if(made.begin(), made.end(), [&](const PlannedShortcut &m) {
                return Cp1252EqualNoCase(m.linkPath, s.linkPath);
            });
            if (same != made.end())
                *same = s;
            else
                made.push_back(s);
        }
        if (!unsaved.empty() && !entry.broken)
            AddError(entry.line, 1, "unsaved-shortcut",
                     "shortcut " + Quote(Join(group, entry.name, pathText)) + " cannot be saved: " +
                         unsaved + "; no shortcut is made in the group" +
                         (i > 0          ? ""
                          : desktopMade ? ", but the desktop one is"
                                        : ", nor on the desktop"));
    }
    std::sort(made.begin(), made.end(), [](const PlannedShortcut &a, const PlannedShortcut &b) {
        return Less(a.linkPath, b.linkPath);
    });
    plan.shortcuts = made;
}

/* A registry key path as the key chain walks it: empty components name the
   key above, and each component is cut to 260 characters. */
std::string KeyPath(const std::string &path)
{
    std::string key;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(start, end - start).substr(0, 260);
        if (!part.empty())
            key += (key.empty() ? "" : "\\") + part;
        start = end + 1;
    }
    return key;
}

void Planner::Registry()
{
    static const char hklm[] = "HKEY_LOCAL_MACHINE";
    static const char hkcr[] = "HKEY_CLASSES_ROOT";
    const char *dir = plan.installDir.c_str();
    const std::string &application = model.application.value;
    char work[pathText];
    std::vector<PlannedValue> written;

    RegistrationTexts texts = {dir, application.c_str(), ""};
    RegistrationRow row;
    RegistrationComposeRow(ROW_APP_PATH, &texts, &row);
    TextBoundedCopy(work, sizeof work, row.data, TextLength(row.data));
    written.push_back(
        {hklm, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tavelin.exe", "", work});
    std::string uninstall =
        Cut("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + application, pathText);
    written.push_back({hklm, uninstall, "DisplayName", application});
    std::string windows = options.windowsDir.size() < (size_t)pathText ? options.windowsDir : "";
    texts.windowsDirectory = windows.c_str();
    RegistrationComposeRow(ROW_UNINSTALL_STRING, &texts, &row);
    TextBoundedCopy(work, sizeof work, row.data, TextLength(row.data));
    written.push_back({hklm, uninstall, "UninstallString", work});

    /* the question answered yes */
    RegistrationComposeRow(ROW_OPEN_COMMAND, &texts, &row);
    TextBoundedCopy(work, sizeof work, row.data, TextLength(row.data));
    written.push_back({hkcr, "txtfile\\shell\\open\\command", "", work});
    RegistrationComposeRow(ROW_PRINT_COMMAND, &texts, &row);
    TextBoundedCopy(work, sizeof work, row.data, TextLength(row.data));
    written.push_back({hkcr, "txtfile\\shell\\print\\command", "", work});
    if (model.hasRegistration) {
        /* the suffixes as proposed */
        for (const std::string &word : model.suffixWords) {
            RegistrationComposeSuffix(word.c_str(), (int)word.size(), &row);
            TextBoundedCopy(work, sizeof work, row.key, TextLength(row.key));
            written.push_back({hkcr, work, "", "txtfile"});
        }
    }

    /* A value written twice holds the last data; a key keeps the spelling it
       was created with. */
    std::vector<PlannedValue> values;
    for (PlannedValue v : written) {
        v.key = KeyPath(v.key);
        auto same = std::find_if(values.begin(), values.end(), [&](const PlannedValue &before) {
            return before.root == v.root && Cp1252EqualNoCase(before.key, v.key) &&
                   Cp1252EqualNoCase(before.name, v.name);
        });
        if (same != values.end())
            same->data = v.data;
        else
            values.push_back(v);
    }
    std::sort(values.begin(), values.end(), [](const PlannedValue &a, const PlannedValue &b) {
        std::string ka = a.root + "\\" + a.key, kb = b.root + "\\" + b.key;
        if (ka != kb)
            return Less(ka, kb);
        return Less(a.name, b.name);
    });
    plan.values = values;
}

/* A name Windows takes for a folder of its own: refused characters and
   separators become '_', the blanks and dots that end it go. */
std::string UsableName(const std::string &name)
{
    std::string usable;
    for (char c : name) {
        bool refused = !WinNameProblem(std::string(1, c)).empty() || c == '\\' || c == '/';
        usable += refused ? '_' : c;
    }
    while (!usable.empty() && (usable.back() == ' ' || usable.back() == '.'))
        usable.pop_back();
    if (usable.empty() || WinIsDeviceName(usable))
        usable += "_";
    return usable;
}

/* Whether the installation can make the directory, on the machine of the
   options. */
bool Makeable(const std::string &directory, const PlanOptions &options)
{
    Disk disk;
    for (const std::string &folder : {options.windowsDir, options.programFilesDir,
                                      options.programsFolder, options.desktopFolder,
                                      options.currentDir})
        disk.Existing(folder);
    char path[pathText];
    EntryJoinPath(path, sizeof path, directory.c_str(), "x");
    std::string why;
    for (int i = EntryNextDirectory(path, 0); i >= 0; i = EntryNextDirectory(path, i + 1)) {
        Disk::Result made = disk.MakeDirectory(std::string(path, (size_t)i), 0, &why);
        if (made == Disk::Failed || made == Disk::Device)
            return false;
    }
    return true;
}

} // namespace

Plan PlanInstallation(const ScriptModel &model, const PlanOptions &options,
                      std::vector<Diagnostic> *diagnostics)
{
    Planner real(model, options);
    real.Run();
    bool groupFailed = real.groupProblem.line != 0;
    if (!real.InstallDirFailed() && !groupFailed) {
        diagnostics->insert(diagnostics->end(), real.out.begin(), real.out.end());
        return real.plan;
    }

    /* What the other lines do would be hidden: they are checked against the
       directory the script would otherwise give, the Répertoire proposed
       when the system names no program-files directory, or else a name
       Windows takes. */
    Planner other(model, options);
    if (real.InstallDirFailed()) {
        std::vector<std::string> candidates;
        if (!model.directory.value.empty())
            candidates.push_back(model.directory.value);
        if (!options.installDir.empty())
            candidates.push_back(Join(options.programFilesDir, model.application.value, shortText));
        candidates.push_back(
            Join(options.programFilesDir, UsableName(model.application.value), shortText));
        for (const std::string &candidate : candidates) {
            Planner tried(model, options);
            tried.otherInstallDir = candidate;
            tried.InstallationDirectory();
            if (Makeable(tried.plan.installDir, options)) {
                other.otherInstallDir = tried.plan.installDir;
                break;
            }
        }
    }
    if (groupFailed)
        other.otherGroupName = UsableName(model.application.value);
    bool checked = !other.otherInstallDir.empty() || !real.InstallDirFailed();
    if (checked)
        other.Run();

    for (Diagnostic *problem : {&real.installDirProblem, &real.groupProblem}) {
        if (problem->line == 0)
            continue;
        if (problem == &real.installDirProblem && checked)
            problem->message += "; the other lines are checked as if it were " +
                                Quote(other.otherInstallDir);
        else if (problem == &real.groupProblem && checked)
            problem->message += "; the shortcuts are checked as if it were " +
                                Quote(Join(options.programsFolder, other.otherGroupName, shortText));
        diagnostics->push_back(*problem);
    }
    const std::vector<Diagnostic> &rest = checked ? other.out : real.out;
    diagnostics->insert(diagnostics->end(), rest.begin(), rest.end());
    return real.plan;
}

std::string PlanFormat(const Plan &plan)
{
    auto u = [](const std::string &text) { return Cp1252ToUtf8(text); };
    std::string out;
    out += "Plan of the installation\n";
    out += "========================\n";
    out += "Installation directory: " + u(plan.installDir) + "\n";
    out += "Required size: " + std::to_string(plan.sizeKb) + " Kb\n";

    out += "\nFiles\n";
    for (const PlannedCopy &c : plan.copies)
        out += "  " + u(c.destination) + "  " + std::to_string(c.size) + " bytes  copy of " +
               c.source + "\n";

    out += "\nDirectories created\n";
    for (const std::string &d : plan.directories)
        out += "  " + u(d) + "\n";

    out += "\nShortcuts\n";
    for (const PlannedShortcut &s : plan.shortcuts) {
        out += "  " + u(s.linkPath) + "\n";
        out += "      target " + u(s.target) + "; description \"" + u(s.description) +
               "\"; icon " + u(s.iconFile) + "," + std::to_string(s.iconIndex) + "\n";
    }

    out += "\nRegistry values written\n";
    for (const PlannedValue &v : plan.values)
        out += "  " + v.root + "\\" + u(v.key) + "  " + (v.name.empty() ? "(default)" : u(v.name)) +
               " = " + u(v.data) + "\n";
    return out;
}
