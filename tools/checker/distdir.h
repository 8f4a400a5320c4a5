#ifndef TAVELIN_CHECKER_DISTDIR_H
#define TAVELIN_CHECKER_DISTDIR_H

#include <string>

/* The distribution directory seen as Windows sees it: names with '\' (or '/')
   separators, matched without regard to capitals. */

enum class DistKind { Missing, File, Directory };

struct DistEntry {
    DistKind kind = DistKind::Missing;
    std::string path;     /* the Linux path found */
    std::string name;     /* the Linux name found below the directory, a backslash between the parts */
    long long size = 0;   /* bytes, for a file */
    std::string refused;  /* why Windows opens nothing of that name, or "" */
};

/* What the cp1252 name, relative to the Linux directory, designates, the
   name resolved as Windows resolves it (WinPathResolve) once the program has
   put its own directory in front of it: a drive, a character Windows
   refuses or a final separator make it Missing, and say why. */
DistEntry DistLookup(const std::string &directory, const std::string &windowsName);

#endif
