#ifndef TAVELIN_CHECKER_PLAN_H
#define TAVELIN_CHECKER_PLAN_H

#include <string>
#include <vector>

#include "tools/checker/checks.h"

/* The folders of the machine installed on, in cp1252. installDir empty: the
   Directory dialog's proposal, accepted. */
struct PlanOptions {
    std::string installDir;
    std::string windowsDir = "C:\\windows";
    std::string programsFolder =
        "C:\\users\\root\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
    std::string desktopFolder = "C:\\users\\root\\Desktop";
    std::string programFilesDir = "C:\\Program Files";
};

struct PlannedCopy {
    int line;
    std::string destination;
    long long size;
    std::string source; /* as the script names it */
};

struct PlannedShortcut {
    std::string linkPath;
    std::string target;
    std::string description;
    std::string iconFile;
    int iconIndex;
};

struct PlannedValue {
    std::string root; /* HKEY_CLASSES_ROOT or HKEY_LOCAL_MACHINE */
    std::string key;
    std::string name; /* empty: the default value */
    std::string data;
};

/* What an installation does, in the order the receipt of a real one lists
   it. Texts in cp1252. */
struct Plan {
    std::string installDir;
    long long sizeKb = 0;
    std::vector<PlannedCopy> copies;          /* script order */
    std::vector<std::string> directories;     /* the installation directory first, then sorted */
    std::vector<PlannedShortcut> shortcuts;   /* group folder by name, then desktop */
    std::vector<PlannedValue> values;         /* sorted by key, then name */
};

/* The installation the user accepting every proposal gets, answering yes to
   the question and keeping the suffixes. Problems that depend on the folders
   (destinations too long) go to diagnostics. */
Plan PlanInstallation(const ScriptModel &model, const PlanOptions &options,
                      std::vector<Diagnostic> *diagnostics);

/* The plan as UTF-8 text: a heading, then the sections "Files",
   "Directories created", "Shortcuts" and "Registry values written", each
   line as tools/receipt.py prints it. */
std::string PlanFormat(const Plan &plan);

#endif
