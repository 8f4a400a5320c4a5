#ifndef TAVELIN_CHECKER_PLANNER_H
#define TAVELIN_CHECKER_PLANNER_H

/* One play of the installation on the model of the machine, step by step as
   the program takes them: the directory, the copies, the shortcuts, the
   registry. Each step's file says what it plays; plan.cpp runs them. */

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "tools/checker/plan.h"
#include "tools/checker/windisk.h"

struct Planner {
    const ScriptModel &model;
    const PlanOptions &options;
    /* When set, the installation directory and the group folder's name
       played in place of those the installation would use. */
    std::string otherInstallDir;
    std::string otherGroupName;
    Report report;
    /* The installation directory or the group folder cannot be made: kept
       apart, since they hide what the other lines do. */
    std::optional<Diagnostic> installDirProblem;
    std::optional<Diagnostic> groupProblem;
    Plan plan;
    WinDisk disk;
    bool proposed = false; /* installDir is the Directory dialog's proposal */
    /* plan.copies by the capitals of their destination */
    std::unordered_map<std::string, size_t> copyAt;
    /* Directories found or made on the way of a copy, as written: they are
       there for every later copy. */
    std::unordered_set<std::string> directoriesThere;
    /* The keys (WinPath::Key) of the installation and Windows directories
       and of the group folder. */
    std::string installDirKey, windowsKey, groupKey;

    Planner(const ScriptModel &m, const PlanOptions &o) : model(m), options(o) {}

    void Run();

    /* The installation directory and the copies (planfiles.cpp). */
    void InstallationDirectory();
    void Copies();
    void Programs();

    /* The group folder and the shortcuts (planshortcuts.cpp). */
    void Shortcuts();

    /* The registry rows (planregistry.cpp). */
    void Registry();

    /* A problem of the installation directory or the group folder, told at
       the Application line they are made of, or at the top. */
    Diagnostic Problem(Diag id, const std::string &message, bool madeOfApplication) const;

    /* folder, '\' and Application, made into a 128-byte text as made. */
    void WarnCut(const std::string &what, const std::string &folder, const std::string &made);

private:
    bool CopyPath(const FileEntry &f, char *path, bool *directoryFailed);
    void RedirectSystem32(char *path) const;
    bool MakeDirectories(const FileEntry &f, const char *path);
    bool OpenDestination(const FileEntry &f, const char *path, bool directoryFailed,
                         std::string *shown);
    void Copy(const FileEntry &f);
    void Shortcut(size_t i, const std::string &group, std::vector<PlannedShortcut> *made,
                  std::unordered_map<std::string, size_t> *madeAt);
    bool SaveShortcut(const ShortcutEntry &entry, const std::string &folder,
                      const std::string &group, PlannedShortcut *s, std::string *why);
    void DesktopName(const ShortcutEntry &entry, const WinPath &link);
};

/* folder, a backslash and name in a text of capacity bytes, as the program
   joins them. */
std::string PlanJoin(const std::string &folder, const std::string &name, int capacity);

/* text cut as the program's bounded copy into capacity bytes cuts it. */
std::string PlanCut(const std::string &text, int capacity);

/* The machine of options before the installation: its folders. */
void PlanMachine(const PlanOptions &options, WinDisk *disk);

/* Sorts items as the receipt lists them, by the UTF-8 of name(item). */
template <typename T, typename Name> void PlanSort(std::vector<T> *items, Name name)
{
    std::vector<std::pair<std::string, size_t>> keys;
    keys.reserve(items->size());
    for (size_t i = 0; i < items->size(); i++)
        keys.emplace_back(name((*items)[i]), i);
    std::sort(keys.begin(), keys.end());
    std::vector<T> sorted;
    sorted.reserve(items->size());
    for (const auto &k : keys)
        sorted.push_back(std::move((*items)[k.second]));
    *items = std::move(sorted);
}

#endif
