#ifndef TAVELIN_CHECKER_WINPATH_H
#define TAVELIN_CHECKER_WINPATH_H

#include <string>
#include <vector>

/* Windows names (cp1252) as the file system takes them when a file or a
   directory is opened or created. */

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

#endif
