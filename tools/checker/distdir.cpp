#include "tools/checker/distdir.h"

#include <dirent.h>
#include <sys/stat.h>

#include <vector>

#include "tools/checker/cp1252.h"
#include "tools/checker/winpath.h"

/* The entry of directory whose name is part (cp1252) but for capitals; the
   Linux name may be UTF-8 or, when it is no UTF-8, the cp1252 bytes
   themselves. An exact match wins over others. */
static bool DistFindPart(const std::string &directory, const std::string &part, std::string *found)
{
    std::string utf8 = Cp1252ToUtf8(part);
    struct stat status;
    if (stat((directory + "/" + utf8).c_str(), &status) == 0) {
        *found = utf8;
        return true;
    }
    DIR *dir = opendir(directory.c_str());
    if (dir == nullptr)
        return false;
    bool matched = false;
    while (struct dirent *entry = readdir(dir)) {
        std::string name = entry->d_name;
        std::string asCp1252;
        if (!Utf8ToCp1252(name, &asCp1252)) {
            /* a UTF-8 name that code page 1252 lacks is no name the program can give */
            if (Cp1252LooksUtf8(name))
                continue;
            asCp1252 = name;
        }
        if (Cp1252EqualNoCase(asCp1252, part)) {
            *found = name;
            matched = true;
            break;
        }
    }
    closedir(dir);
    return matched;
}

DistEntry DistLookup(const std::string &directory, const std::string &windowsName)
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
    std::string path = directory;
    std::string name;
    /* A ".." may go above the setup directory, as Windows lets it. */
    for (int i = 0; i < resolved.climbed; i++) {
        path += "/..";
        name += "..\\";
    }
    for (const std::string &part : resolved.parts) {
        std::string found;
        if (!DistFindPart(path, part, &found))
            return result;
        path += "/" + found;
        name += (name.empty() || name.back() == '\\' ? "" : "\\") + found;
    }
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
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
