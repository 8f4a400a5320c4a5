#ifndef TAVELIN_CHECKER_DISTDIR_H
#define TAVELIN_CHECKER_DISTDIR_H

/* The distribution directory seen as Windows sees it: names with '\' (or '/')
   separators, matched without regard to capitals. */

#include <string>
#include <unordered_map>
#include <unordered_set>

enum class DistKind { Missing, File, Directory };

struct DistEntry {
    DistKind kind = DistKind::Missing;
    std::string path;     /* the Linux path found */
    std::string name;     /* the Linux name found below the directory, a backslash between the parts */
    long long size = 0;   /* bytes, for a file */
    std::string refused;  /* why Windows opens nothing of that name, or "" */
};

/* A distribution directory whose folders are each read once, however many
   names are looked up in them. */
struct DistDirectory {
    std::string root; /* the Linux directory */

    DistDirectory() = default;
    DistDirectory(const DistDirectory &) = delete;
    DistDirectory &operator=(const DistDirectory &) = delete;
    ~DistDirectory();

    /* What the cp1252 name, relative to the directory, designates, the name
       resolved as Windows resolves it (WinPathResolve) once the program has
       put its own directory in front of it: a drive, a character Windows
       refuses or a final separator make it Missing, and say why. */
    DistEntry Lookup(const std::string &windowsName);

private:
    /* One folder's names: those found as written, and by their capitals. */
    struct Listing {
        bool readable = false;
        int fd = -1; /* the folder open, to look at its files by their names alone */
        std::unordered_set<std::string> exact;
        std::unordered_map<std::string, std::string> folded; /* the first of each */
    };
    const Listing &ListingOf(const std::string &folder);
    const Listing *FindPart(const std::string &folder, const std::string &part,
                            std::string *found);

    std::unordered_map<std::string, Listing> listings_;
};

/* One look-up in directory. */
DistEntry DistLookup(const std::string &directory, const std::string &windowsName);

#endif
