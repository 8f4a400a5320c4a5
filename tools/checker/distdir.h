#ifndef TAVELIN_CHECKER_DISTDIR_H
#define TAVELIN_CHECKER_DISTDIR_H

#include <string>

/* The distribution directory seen as Windows sees it: names with '\' (or '/')
   separators, matched without regard to capitals. */

enum class DistKind { Missing, File, Directory };

struct DistEntry {
    DistKind kind = DistKind::Missing;
    std::string path;     /* the Linux path found */
    long long size = 0;   /* bytes, for a file */
};

/* What the cp1252 name, relative to the Linux directory, designates. As in
   Windows, empty and "." parts are skipped, ".." goes up and the last part
   loses its trailing blanks and dots. */
DistEntry DistLookup(const std::string &directory, const std::string &windowsName);

#endif
