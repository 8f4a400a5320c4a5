#ifndef TAVELIN_CHECKER_MODEL_H
#define TAVELIN_CHECKER_MODEL_H

/* The script as the program reads it, which the checks of the entries fill
   and the planner plays. Texts are cp1252 bytes, already cut where the
   program cuts them. */

#include <string>
#include <vector>

#include "script/entry.h"
#include "tools/checker/distdir.h"

/* The names of the script's sections and keys as the program loads them
   from its string table, in code page 1252. */
struct ScriptNames {
    std::string settings, files, group, registration;
    std::string bitmap, application, title, directory, suffixes;
};
const ScriptNames &ScriptNamesCp1252();

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
    /* The destination's name alone keeps the file from being opened (empty,
       a final separator, a drive): its check tells why, and what fails
       because of it on the machine is not told again. */
    bool nameOpensNothing = false;
};

struct ShortcutEntry {
    int line;
    int column;       /* of the value */
    std::string name; /* the key: the shortcut's file name */
    EntryShortcut fields;
    /* The shell cannot save a shortcut of this name anywhere (no name,
       blanks, a character or a device Windows refuses): its check tells
       why, and the failure to save it is not told again. */
    bool nameRefused = false;
};

struct ScriptModel {
    bool hasSettings = false;
    bool hasFiles = false;
    bool hasGroup = false;
    bool hasRegistration = false;
    int settingsLine = 1;                 /* the [Installer] header */
    int filesLine = 1;                    /* the [Fichiers] header */
    int groupLine = 0;                    /* the [Groupe] header */
    int groupLookalikeLine = 0;           /* a header meant as [Groupe] that the program does
                                             not read as it ("[groupe]", " [Groupe]") */
    int groupEndLine = 0;                 /* the line that ends the list of shortcuts */
    std::string groupEnding;              /* what ends it: "the comment at line ", ... */
    ScriptSetting bitmap;
    ScriptSetting application;
    ScriptSetting title;
    ScriptSetting directory;
    ScriptSetting suffixes;
    std::vector<FileEntry> files;         /* every entry the copy attempts */
    std::vector<ShortcutEntry> shortcuts; /* the shortcuts made, in order */
    std::vector<std::string> suffixWords; /* the words of the Suffixes list */
};

#endif
