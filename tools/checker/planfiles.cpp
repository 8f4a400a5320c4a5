/* The plan of the installation directory and of the copies of [Fichiers]:
   the directory the dialog gives, each directory made and file opened as
   Windows makes and opens them, and the two programs the registry names. */
#include "actions/registrationrows.h"
#include "script/names.h"
#include "tools/checker/cp1252.h"
#include "tools/checker/planner.h"
#include "ui/dirpath.h"
#include "util/text.h"

void Planner::InstallationDirectory()
{
    /* What the Directory dialog shows: program files, '\' and Application;
       a folder too long for installDir is not read, and the directory the
       script proposes stays. */
    std::string typed = !otherInstallDir.empty() ? otherInstallDir : options.installDir;
    if (typed.empty()) {
        proposed = true;
        if (options.programFilesDir.size() < (size_t)SETUP_TEXT_CAPACITY) {
            char proposal[SETUP_TEXT_CAPACITY];
            DirectoryProposal(options.programFilesDir.c_str(), model.application.value.c_str(),
                              proposal, sizeof proposal);
            typed = proposal;
            WarnCut("the proposed installation directory", options.programFilesDir, typed);
        } else {
            typed = model.directory.value;
        }
    }
    std::string current = PlanCut(options.currentDir, SETUP_PATH_CAPACITY);
    WinPath currentPath = WinPathResolve(current);
    /* a network path has no drive letter */
    int drive = currentPath.root.size() != 2 ? 0 : (int)Cp1252Upper((unsigned char)current[0]) - 64;
    char result[SETUP_TEXT_CAPACITY];
    DirectoryNormalise(PlanCut(typed, SETUP_PATH_CAPACITY).c_str(), current.c_str(), drive, result,
                       sizeof result);
    plan.installDir = result;
}

void Planner::Copies()
{
    PlanMachine(options, &disk);
    installDirKey = WinPathResolve(plan.installDir).Key();
    windowsKey = WinPathResolve(options.windowsDir).Key();
    long long total = 0;
    for (const FileEntry &f : model.files) {
        /* a source that cannot be opened stops the entry before anything is made */
        if (f.found.kind != DistKind::File)
            continue;
        total += f.found.size;
        Copy(f);
    }
    plan.sizeKb = DirectorySizeKilobytes(total);
    if (total > DIRECTORY_KILOBYTES_MOST * 1024)
        report.Add(Diag::Size, model.filesLine, 1,
                   "the files add up to " + std::to_string(total) + " bytes, more than 2 TiB: "
                   "the Directory dialog shows " + std::to_string(plan.sizeKb) + " Kb, its "
                   "largest figure");
    PlanSort(&plan.copies, [](const PlannedCopy &c) { return Cp1252ToUtf8(c.destination); });
    plan.directories = disk.MadeDirectories();
    PlanSort(&plan.directories, [](const std::string &d) { return Cp1252ToUtf8(d); });
}

/* The destination's path, its directories made on the way; false when the
   copy fails before anything is opened. */
bool Planner::CopyPath(const FileEntry &f, char *path, bool *directoryFailed)
{
    *directoryFailed = false;
    if (!f.toWindows) {
        /* 127 + 1 + 127 characters at most: never cut */
        EntryJoinPath(path, SETUP_PATH_CAPACITY, plan.installDir.c_str(), f.destination.c_str());
        *directoryFailed = !MakeDirectories(f, path);
        return true;
    }
    /* A Windows directory or a destination too long for the program's text
       fails the copy. */
    const std::string &windows = options.windowsDir;
    int end = TextBoundedCopy(path, SETUP_PATH_CAPACITY, windows.c_str(), (int)windows.size());
    if (windows.size() < (size_t)SETUP_PATH_CAPACITY &&
        EntryJoinWindows(path, SETUP_PATH_CAPACITY, end, f.destination.c_str()) == 0) {
        if (options.wow64)
            RedirectSystem32(path);
        return true;
    }
    report.Add(Diag::WindowsDestinationLong, f.line, f.column,
               "destination in the Windows directory longer than " +
                   std::to_string(SETUP_PATH_CAPACITY - 1) + " characters (" +
                   std::to_string(windows.size() + 1 + f.destination.size()) +
                   "): the program says \"Ne peut ouvrir\" and copies nothing for this line");
    return false;
}

/* The file system redirector of 64-bit Windows: what a 32-bit program
   opens in the Windows directory's System32 lies in its SysWOW64. The
   name is as long either way. */
void Planner::RedirectSystem32(char *path) const
{
    WinPath p = WinPathResolve(path);
    WinPath system = WinPathResolve(options.windowsDir + "\\System32");
    if (!WinIsUnderKey(p, system.Key()))
        return;
    std::string redirected = options.windowsDir + "\\SysWOW64";
    for (size_t i = system.parts.size(); i < p.parts.size(); i++)
        redirected += "\\" + p.parts[i];
    TextBoundedCopy(path, SETUP_PATH_CAPACITY, redirected.c_str(), (int)redirected.size());
}

/* The directories of the path, each made in turn; false when one could not
   be made, and the program made no further one. */
bool Planner::MakeDirectories(const FileEntry &f, const char *path)
{
    std::string why;
    for (int i = EntryNextDirectory(path, 0); i >= 0; i = EntryNextDirectory(path, i + 1)) {
        std::string directory(path, (size_t)i);
        if (directoriesThere.count(directory) != 0)
            continue;
        WinDisk::Result made = disk.MakeDirectory(directory, f.line, &why);
        if (made != WinDisk::Failed && made != WinDisk::Device) {
            directoriesThere.insert(directory);
            continue;
        }
        /* The program makes every directory of the installation directory
           for each file: what fails there fails them all. */
        if (WinIsUnder(WinPathResolve(plan.installDir), directory)) {
            if (!installDirProblem)
                installDirProblem = Problem(
                    Diag::InstallDirUnmade,
                    "the installation directory " + Cp1252Quote(plan.installDir) +
                        " cannot be made: " + why + "; the program says \"Ne peut cr\xC3\xA9"
                        "er\" or \"Ne peut ouvrir\" for every file and copies none",
                    proposed);
        } else if (made == WinDisk::Failed && !f.nameOpensNothing) {
            report.Add(Diag::DirectoryUnmade, f.line, f.column,
                       "directory " + Cp1252Quote(disk.Display(WinPathResolve(directory))) +
                           " cannot be made: " + why + "; the program says \"Ne peut cr\xC3\xA9"
                           "er\", then \"Ne peut ouvrir\" for the file, and copies nothing for "
                           "this line");
        }
        /* The program makes no further directory, and opens the file all
           the same: a ".." may lead it where the directories are. */
        if (made == WinDisk::Failed)
            return false;
    }
    return true;
}

/* The names of the directories every Windows directory has, for the
   messages. */
static std::string UsualSubfolders()
{
    std::string usual;
    for (const std::string &name : WinUsualSubfolders())
        usual += (usual.empty() ? "" : ", ") + name;
    return usual;
}

/* The open of the destination; false when no file is opened. shown is the
   file as the file system names it. */
bool Planner::OpenDestination(const FileEntry &f, const char *path, bool directoryFailed,
                              std::string *shown)
{
    WinPath destination = WinPathResolve(path);
    /* the directory a Windows-directory entry goes into, when it is not the
       Windows directory itself */
    WinPath above;
    bool inWindowsSubdirectory = false;
    if (f.toWindows && destination.parts.size() > 1) {
        above = destination;
        above.parts.pop_back();
        inWindowsSubdirectory = WinIsUnderKey(above, windowsKey) && above.Key() != windowsKey;
    }
    if (inWindowsSubdirectory) {
        /* No directory is made there: only those every Windows directory
           has are found. */
        std::vector<std::string> usual = WinUsualSubfolders();
        if (options.wow64)
            usual.push_back("SysWOW64");
        for (const std::string &name : usual) {
            if (above.Key() == WinPathResolve(options.windowsDir + "\\" + name).Key())
                disk.Existing(above.Text());
        }
    }
    std::string why;
    WinDisk::Result result = disk.MakeFile(destination, f.line, &why);
    /* the same before the file is made as after: it takes its own name */
    *shown = disk.Display(destination);
    auto quoted = [&] { return Cp1252Quote(*shown); };
    switch (result) {
    case WinDisk::Failed:
        if (inWindowsSubdirectory && disk.Find(above) == nullptr)
            report.Add(Diag::WindowsSubdirectory, f.line, f.column,
                       "destination " + quoted() + " cannot be opened: the program makes no "
                       "directory in the Windows directory, and " +
                           Cp1252Quote(disk.Display(above)) + " is none of those every Windows "
                           "directory has (" + UsualSubfolders() + "); it says \"Ne peut "
                           "ouvrir\" and copies nothing for this line");
        else if (!f.nameOpensNothing && !directoryFailed)
            report.Add(Diag::DestinationUnopened, f.line, f.column,
                       "destination " + quoted() + " cannot be opened: " + why +
                           "; the program says \"Ne peut ouvrir\" and copies nothing for this "
                           "line");
        return false;
    case WinDisk::Device:
        report.Add(Diag::DestinationDevice, f.line, f.column,
                   "destination " + quoted() + ": " + why + ", and no file of that name is made");
        return false;
    case WinDisk::Existed:
        report.Add(Diag::DuplicateDestination, f.line, f.column,
                   "destination " + quoted() + " is already written" +
                       (why.empty() ? std::string() : " by " + why) + ": this copy replaces it");
        break;
    case WinDisk::Made:
        break;
    }
    if (!WinIsUnderKey(destination, f.toWindows ? windowsKey : installDirKey))
        report.Add(Diag::OutsideInstallation, f.line, f.column,
                   "destination " + Cp1252Quote(f.destination) + " climbs out of the " +
                       (f.toWindows ? "Windows" : "installation") +
                       " directory: the program copies the file to " + quoted());
    return true;
}

void Planner::Copy(const FileEntry &f)
{
    char path[SETUP_PATH_CAPACITY];
    bool directoryFailed;
    std::string display;
    if (!CopyPath(f, path, &directoryFailed) ||
        !OpenDestination(f, path, directoryFailed, &display))
        return;
    /* A file copied twice holds the last source. */
    auto known = copyAt.emplace(Cp1252UpperText(display), plan.copies.size());
    if (known.second) {
        plan.copies.push_back({display, f.found.size, f.found.name});
    } else {
        plan.copies[known.first->second].size = f.found.size;
        plan.copies[known.first->second].source = f.found.name;
    }
}

/* The registry names two programs of the product whatever the script
   installs: one in the installation directory, the uninstaller in the
   Windows directory. */
void Planner::Programs()
{
    std::string windows =
        options.windowsDir.size() < (size_t)SETUP_PATH_CAPACITY ? options.windowsDir : "";
    RegistrationTexts texts = {plan.installDir.c_str(), model.application.value.c_str(),
                               windows.c_str()};
    RegistrationRow appPath, uninstall;
    RegistrationComposeRow(ROW_APP_PATH, &texts, &appPath);
    RegistrationComposeRow(ROW_UNINSTALL_STRING, &texts, &uninstall);

    const WinDisk::Node *found = disk.Find(WinPathResolve(appPath.data));
    if (found == nullptr || found->directory)
        report.Add(Diag::NoProgram, model.filesLine, 1,
                   "no \"" PRODUCT_PROGRAM "\" is installed at the top of the installation "
                   "directory: App Paths names " + Cp1252Quote(appPath.data) + ", which is not "
                   "there, and after \"Oui\" to the question every text file opens and prints "
                   "with it: a double-click on a .txt file then fails");

    found = disk.Find(WinPathResolve(PlanJoin(windows, PRODUCT_UNINSTALLER, SETUP_PATH_CAPACITY)));
    if (found == nullptr || found->directory)
        report.Add(Diag::NoUninstaller, model.filesLine, 1,
                   "nothing installs \"" PRODUCT_UNINSTALLER "\" into the Windows directory: the "
                   "uninstall entry runs " + Cp1252Quote(uninstall.data) + ", which fails, and the "
                   "product cannot be removed from the list of installed programs");
}
