#ifndef TAVELIN_CHECKER_CHECKS_H
#define TAVELIN_CHECKER_CHECKS_H

#include <string>
#include <vector>

#include "tools/checker/distdir.h"
#include "tools/checker/scriptfile.h"

/* The script as the program reads it. Texts are cp1252 bytes, already cut
   where the program cuts them. */

struct ScriptSetting {
    std::string value;
    int line = 0; /* 0: never set */
};

struct FileEntry {
    int line;
    bool toWindows;          /* leading '%' */
    std::string destination; /* relative to the installation or Windows directory */
    std::string source;      /* relative to the distribution directory */
    DistEntry found;
};

struct ShortcutEntry {
    int line;
    std::string name;  /* the key: the shortcut's file name */
    std::string value; /* target,description,icon,index */
};

struct ScriptModel {
    bool hasSettings = false;
    bool hasFiles = false;
    bool hasGroup = false;
    bool hasRegistration = false;
    ScriptSetting bitmap;
    ScriptSetting application;
    ScriptSetting title;
    ScriptSetting directory;
    ScriptSetting suffixes;
    std::vector<FileEntry> files;         /* every entry the copy attempts */
    std::vector<ShortcutEntry> shortcuts; /* the shortcuts made, in order */
    long long totalSize = 0;              /* bytes of the source files found */
};

/* The words of a suffix list, split at blanks and tabs as the program does. */
std::vector<std::string> SuffixWords(const std::string &list);

/* Checks the script and its distribution directory, and reads it as the
   program does. */
void CheckScript(const ScriptFile &file, ScriptModel *model, std::vector<Diagnostic> *diagnostics);

#endif
