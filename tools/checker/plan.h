#ifndef TAVELIN_CHECKER_PLAN_H
#define TAVELIN_CHECKER_PLAN_H

/* What setupcheck plans: the machine it plays the installation on, and what
   the installation leaves there. */

#include <string>
#include <vector>

#include "tools/checker/model.h"
#include "tools/checker/report.h"

/* The folders of the machine installed on, in cp1252. installDir empty: the
   Directory dialog's proposal, accepted; otherwise what the user types
   there, taken from currentDir when it is relative. */
struct PlanOptions {
    std::string installDir;
    std::string currentDir = "C:\\";
    std::string windowsDir = "C:\\windows";
    std::string programsFolder =
        "C:\\users\\root\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
    std::string desktopFolder = "C:\\users\\root\\Desktop";
    std::string programFilesDir = "C:\\Program Files";
    /* The 32-bit program on 64-bit Windows (WOW64): its program-files
       directory is "C:\\Program Files (x86)", its System32 the Windows
       directory's SysWOW64, and its keys of HKEY_LOCAL_MACHINE\\Software
       are redirected to Software\\Wow6432Node but for the shared ones. */
    bool wow64 = false;
};

/* The program-files directory of a 64-bit machine for a 32-bit program. */
extern const char kPlanWow64ProgramFiles[];

struct PlannedCopy {
    std::string destination; /* the file as the file system names it */
    long long size;
    std::string source;      /* the distribution's file, as found there */
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

/* What an installation leaves, as the receipt of a real one lists it: every
   list sorted. Texts in cp1252. */
struct Plan {
    std::string installDir;
    long long sizeKb = 0;
    std::vector<PlannedCopy> copies;
    std::vector<std::string> directories; /* every directory the installation creates */
    std::vector<PlannedShortcut> shortcuts;
    std::vector<PlannedValue> values;
};

/* The installation the user accepting every proposal gets, answering yes to
   the question and keeping the suffixes, on a machine that has the folders
   of options and nothing else of the product. What fails or surprises on
   the way goes to report. */
Plan PlanInstallation(const ScriptModel &model, const PlanOptions &options, Report *report);

#endif
