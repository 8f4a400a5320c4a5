#ifndef TAVELIN_CHECKER_WINPATH_H
#define TAVELIN_CHECKER_WINPATH_H

#include <string>
#include <vector>

/* How Windows takes a name (cp1252) when a file, a directory or a registry
   key is opened or made: its parts, the names it refuses or changes. */

/* A path resolved as Windows resolves it: '\' and '/' both separate, empty
   and "." parts go, ".." goes up (never above the root), a part before the
   last loses one final '.', and the last part loses its final blanks and
   dots. So "bin/Tavelin.exe " is bin\Tavelin.exe. */
struct WinPath {
    std::string root;               /* "C:", "\\\\server\\share", or "" for a relative name */
    std::vector<std::string> parts; /* what lies below the root */
    int climbed = 0;                /* how many ".." went above where a relative name started */
    bool trailingSeparator = false; /* the name ended with '\' or '/' */

    /* The name resolved, as written: root, then '\' and each part (relative
       names without a leading '\'), and the final '\' if it had one. */
    std::string Text() const;
    /* The first count parts (all when count is past the end), capitals
       folded: two names are the same file when their keys are equal. */
    std::string Key(size_t count = (size_t)-1) const;
};

WinPath WinPathResolve(const std::string &name);

/* The character for which Windows refuses to make a file or directory
   named part, described ("the character '|'"), or "" when there is none. */
std::string WinNameProblem(const std::string &part);

/* Whether Windows takes part for a device (CON, NUL, COM1...), whatever its
   extension: no file of that name is ever made. */
bool WinIsDeviceName(const std::string &part);

/* Why Windows makes no file of a name: the first of its parts that holds a
   character Windows refuses, or that names a device. */
struct WinRefusal {
    enum Kind { None, Character, Device } kind = None;
    std::string problem; /* the character, described (WinNameProblem) */
    std::string part;    /* the part refused */
};
WinRefusal WinNameRefusal(const std::string &name);

/* A name Windows takes for a folder of its own, made of name: refused
   characters and separators become '_', the blanks and dots that end it
   go, and a device or nothing gets a '_' more. */
std::string WinUsableName(const std::string &name);

/* The registry key a key path names once the key chain has walked it: the
   empty components, which open the key above again, go, and each component
   is cut as the program cuts it. The spelling is kept. */
std::string WinRegistryKey(const std::string &path);

#endif
