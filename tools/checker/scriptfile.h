#ifndef TAVELIN_CHECKER_SCRIPTFILE_H
#define TAVELIN_CHECKER_SCRIPTFILE_H

/* The script file read from the disk, with the index of its lines. */

#include <string>
#include <vector>

/* A setup script as the program loads it: the file's bytes, and the text
   it reads, which ends at the first zero byte. */
struct ScriptFile {
    std::string path;      /* as named on the command line */
    std::string directory; /* the distribution directory */
    std::string bytes;     /* the whole file */
    std::string text;      /* up to the first zero byte; c_str() is what the reader scans */
    bool hasZero = false;

    /* Line (from 1) and column (from 1) of a byte offset: lines end at LF only. */
    int LineOf(size_t offset) const;
    int ColumnOf(size_t offset) const;
    int LineCount() const;

    std::vector<size_t> lineStarts;
};

/* Scripts longer than this are not checked: a setup script is a few
   kilobytes, and a file this long is surely something else. */
const long long scriptSizeLimit = 16LL * 1024 * 1024;

/* Reads the file; false, with the reason in error, when it is no script
   that can be checked: missing, unreadable, a directory or another
   special file, or longer than scriptSizeLimit. */
bool ScriptFileRead(const std::string &path, ScriptFile *file, std::string *error);

/* Builds a ScriptFile from bytes already in memory. */
void ScriptFileSet(const std::string &path, const std::string &bytes, ScriptFile *file);

#endif
