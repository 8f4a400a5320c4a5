#ifndef TAVELIN_CHECKER_CHECKS_H
#define TAVELIN_CHECKER_CHECKS_H

#include <string>
#include <vector>

#include "script/entry.h"
#include "tools/checker/distdir.h"
#include "tools/checker/scriptfile.h"

/* The script as the program reads it. Texts are cp1252 bytes, already cut
   where the program cuts them. */

struct ScriptSetting {
    std::string value;
    int line = 0; /* 0: never set */
    int column = 0;
};

struct FileEntry {
    int line;
    int column;              /* of the destination name */
    int sourceColumn;
    bool toWindows;          /* leading '%' */
    std::string destination; /* relative to the installation or Windows directory */
    std::string source;      /* relative to the distribution directory */
    DistEntry found;
    bool broken = false;     /* its destination is already reported as failing */
};

struct ShortcutEntry {
    int line;
    int column;       /* of the value */
    std::string name; /* the key: the shortcut's file name */
    EntryShortcut fields;
    bool broken = false; /* its name is already reported as one the shell cannot save */
};

struct ScriptModel {
    bool hasSettings = false;
    bool hasFiles = false;
    bool hasGroup = false;
    bool hasRegistration = false;
    int filesLine = 1;                    /* the [Fichiers] header */
    ScriptSetting bitmap;
    ScriptSetting application;
    ScriptSetting title;
    ScriptSetting directory;
    ScriptSetting suffixes;
    std::vector<FileEntry> files;         /* every entry the copy attempts */
    std::vector<ShortcutEntry> shortcuts; /* the shortcuts made, in order */
    std::vector<std::string> suffixWords; /* the words of the Suffixes list */
};

/* The names of the warnings, for -Wno-NAME: every warning has one. */
extern const char *const checkWarnings[];

/* Whether name is one of checkWarnings. */
bool CheckIsWarning(const std::string &name);

/* Checks the script and its distribution directory, and reads it as the
   program does. */
void CheckScript(const ScriptFile &file, ScriptModel *model, std::vector<Diagnostic> *diagnostics);

#endif
