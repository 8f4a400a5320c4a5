#ifndef TAVELIN_CHECKER_WINDISK_H
#define TAVELIN_CHECKER_WINDISK_H

/* The files and directories of the machine as Windows makes them, as far as
   an installation sees them: the folders it finds and what it makes. */

#include <string>
#include <unordered_map>
#include <vector>

#include "tools/checker/winpath.h"

struct WinDisk {
    enum Result { Made, Existed, Failed, Device };

    struct Node {
        std::string spelling; /* of its last part, as first made or found */
        bool directory;
        bool made;            /* by the installation */
        int line;             /* of the entry that made it */
        std::string display;  /* the whole name as the file system shows it */
    };

    /* path and every directory above it exist before the installation. */
    void Existing(const std::string &path);

    const Node *Find(const WinPath &p, size_t count = (size_t)-1) const;

    /* The name as the file system shows it: each part spelt as it was made. */
    std::string Display(const WinPath &p) const;

    /* CreateDirectoryA: an existing name of any kind is accepted. why says
       what failed. */
    Result MakeDirectory(const std::string &path, int line, std::string *why);
    Result MakeDirectory(const WinPath &p, int line, std::string *why);

    /* CreateFileA for writing, opening an existing file; why names the line
       that made it, when it existed. */
    Result MakeFile(const WinPath &p, int line, std::string *why);

    /* The directories made, as the file system names them, unsorted. */
    std::vector<std::string> MadeDirectories() const;

private:
    std::string DisplayOf(const WinPath &p, size_t count, bool trailing) const;
    void Insert(const WinPath &p, size_t count, Node node);
    bool ParentExists(const WinPath &p, std::string *why) const;
    bool NameAllowed(const WinPath &p, std::string *why) const;

    std::unordered_map<std::string, Node> nodes_; /* by the key of the name */
};

/* The subdirectories every Windows directory has: a file copied into one of
   them finds it, whereas the program makes none there. */
const std::vector<std::string> &WinUsualSubfolders();

/* Whether path lies in directory or is it (capitals folded); the directory
   may be given by its key (WinPath::Key). */
bool WinIsUnder(const WinPath &path, const std::string &directory);
bool WinIsUnderKey(const WinPath &path, const std::string &top);

#endif
