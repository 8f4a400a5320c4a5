/* Names looked up in the distribution directory as Windows finds them,
   each folder read once. */
#include "tools/checker/distdir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/checker/cp1252.h"
#include "tools/checker/winpath.h"

/* Folders kept open at most: far below the limit of a process's files. */
static const size_t openFoldersMost = 256;

DistDirectory::~DistDirectory()
{
    for (auto &listing : listings_) {
        if (listing.second.fd >= 0)
            close(listing.second.fd);
    }
}

const DistDirectory::Listing &DistDirectory::ListingOf(const std::string &folder)
{
    auto known = listings_.find(folder);
    if (known != listings_.end())
        return known->second;
    Listing &listing = listings_[folder];
    DIR *dir = opendir(folder.c_str());
    if (dir == nullptr)
        return listing;
    listing.readable = true;
    if (listings_.size() <= openFoldersMost)
        listing.fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (struct dirent *entry = readdir(dir)) {
        std::string name = entry->d_name;
        struct stat status;
        /* a link that leads nowhere is no name found as written */
        if ((entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) ||
            stat((folder + "/" + name).c_str(), &status) == 0)
            listing.exact.insert(name);
        std::string asCp1252;
        if (!Utf8ToCp1252(name, &asCp1252)) {
            /* a UTF-8 name that code page 1252 lacks is no name the program can give */
            if (Cp1252LooksUtf8(name))
                continue;
            asCp1252 = name;
        }
        listing.folded.emplace(Cp1252UpperText(asCp1252), name);
    }
    closedir(dir);
    return listing;
}

/* The entry of folder whose name is part (cp1252) but for capitals; the
   Linux name may be UTF-8 or, when it is no UTF-8, the cp1252 bytes
   themselves. An exact match wins over others. */
const DistDirectory::Listing *DistDirectory::FindPart(const std::string &folder,
                                                      const std::string &part, std::string *found)
{
    std::string utf8 = Cp1252ToUtf8(part);
    const Listing &listing = ListingOf(folder);
    struct stat status;
    if (listing.readable ? listing.exact.count(utf8) != 0
                         : stat((folder + "/" + utf8).c_str(), &status) == 0) {
        *found = utf8;
        return &listing;
    }
    auto folded = listing.folded.find(Cp1252UpperText(part));
    if (folded == listing.folded.end())
        return nullptr;
    *found = folded->second;
    return &listing;
}

DistEntry DistDirectory::Lookup(const std::string &windowsName)
{
    DistEntry result;
    /* The program's directory goes in front: leading separators only
       double the one after it. */
    size_t start = windowsName.find_first_not_of("\\/");
    WinPath resolved = WinPathResolve(start == std::string::npos || start == 0
                                          ? windowsName
                                          : "\\" + windowsName.substr(start));
    if (!resolved.root.empty()) {
        result.refused = "it names a drive, and the program puts its own directory in front of "
                         "it, where ':' cannot be part of a name";
        return result;
    }
    for (const std::string &part : resolved.parts) {
        std::string problem = WinNameProblem(part);
        if (!problem.empty()) {
            result.refused = "it holds " + problem + ", which Windows refuses in a name";
            return result;
        }
    }
    std::string path = root;
    std::string name;
    /* A ".." may go above the setup directory, as Windows lets it. */
    for (int i = 0; i < resolved.climbed; i++) {
        path += "/..";
        name += "..\\";
    }
    const Listing *folder = nullptr; /* the last part's */
    std::string found;
    for (const std::string &part : resolved.parts) {
        folder = FindPart(path, part, &found);
        if (folder == nullptr)
            return result;
        path += "/" + found;
        name += (name.empty() || name.back() == '\\' ? "" : "\\") + found;
    }
    struct stat status;
    if (folder != nullptr && folder->fd >= 0 ? fstatat(folder->fd, found.c_str(), &status, 0) != 0
                                             : stat(path.c_str(), &status) != 0)
        return result;
    result.path = path;
    result.name = name;
    if (S_ISDIR(status.st_mode)) {
        result.kind = DistKind::Directory;
    } else if (resolved.trailingSeparator) {
        result.refused = "it ends with a separator, and Windows opens no file by such a name";
    } else {
        result.kind = DistKind::File;
        result.size = (long long)status.st_size;
    }
    return result;
}

DistEntry DistLookup(const std::string &directory, const std::string &windowsName)
{
    DistDirectory distribution;
    distribution.root = directory;
    return distribution.Lookup(windowsName);
}
