/* The plan of an installation: the steps played in order, and played again
   on a stand-in directory or group folder when the script's own cannot be
   made, so that what they would hide is still checked. */
#include "tools/checker/cp1252.h"
#include "tools/checker/planner.h"
#include "util/text.h"

std::string PlanCut(const std::string &text, int capacity)
{
    std::vector<char> buffer((size_t)capacity);
    TextBoundedCopy(buffer.data(), capacity, text.data(), (int)text.size());
    return buffer.data();
}

std::string PlanJoin(const std::string &folder, const std::string &name, int capacity)
{
    std::vector<char> buffer((size_t)capacity);
    EntryJoinPath(buffer.data(), capacity, folder.c_str(), name.c_str());
    return buffer.data();
}

const char kPlanWow64ProgramFiles[] = "C:\\Program Files (x86)";

void PlanMachine(const PlanOptions &options, WinDisk *disk)
{
    for (const std::string *folder : {&options.windowsDir, &options.programFilesDir,
                                      &options.programsFolder, &options.desktopFolder,
                                      &options.currentDir})
        disk->Existing(*folder);
}

void Planner::Run()
{
    InstallationDirectory();
    Copies();
    Programs();
    Shortcuts();
    Registry();
}

Diagnostic Planner::Problem(Diag id, const std::string &message, bool madeOfApplication) const
{
    bool atApplication = madeOfApplication && model.application.line != 0;
    return Diagnostic{atApplication ? model.application.line : 1,
                      atApplication ? model.application.column : 1, id, message};
}

void Planner::WarnCut(const std::string &what, const std::string &folder, const std::string &made)
{
    size_t whole = folder.size() + 1 + model.application.value.size();
    if (whole < (size_t)SETUP_TEXT_CAPACITY)
        return;
    bool atApplication = model.application.line != 0;
    report.Add(Diag::CutFolder, atApplication ? model.application.line : 1,
               atApplication ? model.application.column : 1,
               what + " is " + std::to_string(whole) + " characters long and is cut to " +
                   std::to_string(SETUP_TEXT_CAPACITY - 1) + ", " + Cp1252Quote(made) +
                   ", while the uninstall entry and the closing message bear the whole name");
}

namespace {

/* Whether the installation can make the directory, on the machine of the
   options. */
bool Makeable(const std::string &directory, const PlanOptions &options)
{
    WinDisk disk;
    PlanMachine(options, &disk);
    char path[SETUP_PATH_CAPACITY];
    EntryJoinPath(path, sizeof path, directory.c_str(), "x");
    std::string why;
    for (int i = EntryNextDirectory(path, 0); i >= 0; i = EntryNextDirectory(path, i + 1)) {
        WinDisk::Result made = disk.MakeDirectory(std::string(path, (size_t)i), 0, &why);
        if (made == WinDisk::Failed || made == WinDisk::Device)
            return false;
    }
    return true;
}

/* The directory the script would otherwise give: the Répertoire proposed
   when the system names no program-files directory, the proposal when
   another was typed, or else a name Windows takes; "" when none can be
   made. */
std::string StandInDirectory(const ScriptModel &model, const PlanOptions &options)
{
    std::vector<std::string> candidates;
    if (!model.directory.value.empty())
        candidates.push_back(model.directory.value);
    if (!options.installDir.empty())
        candidates.push_back(
            PlanJoin(options.programFilesDir, model.application.value, SETUP_TEXT_CAPACITY));
    candidates.push_back(PlanJoin(options.programFilesDir, WinUsableName(model.application.value),
                                  SETUP_TEXT_CAPACITY));
    for (const std::string &candidate : candidates) {
        Planner tried(model, options);
        tried.otherInstallDir = candidate;
        tried.InstallationDirectory();
        if (Makeable(tried.plan.installDir, options))
            return tried.plan.installDir;
    }
    return "";
}

void Append(Report *report, const Report &found)
{
    report->found.insert(report->found.end(), found.found.begin(), found.found.end());
}

} // namespace

Plan PlanInstallation(const ScriptModel &model, const PlanOptions &options, Report *report)
{
    Planner real(model, options);
    real.Run();
    if (!real.installDirProblem && !real.groupProblem) {
        Append(report, real.report);
        return std::move(real.plan);
    }

    /* What the other lines do would be hidden: they are played again on
       stand-ins, and their problems are told from that play. */
    Planner other(model, options);
    if (real.installDirProblem)
        other.otherInstallDir = StandInDirectory(model, options);
    if (real.groupProblem)
        other.otherGroupName = WinUsableName(model.application.value);
    bool checked = !other.otherInstallDir.empty() || !real.installDirProblem;
    if (checked)
        other.Run();

    if (real.installDirProblem) {
        if (checked)
            real.installDirProblem->message += "; the other lines are checked as if it were " +
                                               Cp1252Quote(other.otherInstallDir);
        report->found.push_back(*real.installDirProblem);
    }
    if (real.groupProblem) {
        if (checked)
            real.groupProblem->message +=
                "; the shortcuts are checked as if it were " +
                Cp1252Quote(PlanJoin(options.programsFolder, other.otherGroupName,
                                     SETUP_TEXT_CAPACITY));
        report->found.push_back(*real.groupProblem);
    }
    Append(report, checked ? other.report : real.report);
    return std::move(real.plan);
}
