#ifndef TAVELIN_CHECKER_SCRIPTFILE_H
#define TAVELIN_CHECKER_SCRIPTFILE_H

#include <string>
#include <vector>

enum class Severity { Warning, Error };

/* One problem found; line 0 concerns the whole file. */
struct Diagnostic {
    int line;
    Severity severity;
    std::string message; /* UTF-8 */
};

/* A setup script as the program loads it: the file's bytes, and the text
   it reads, which ends at the first zero byte. */
struct ScriptFile {
    std::string path;      /* as named on the command line */
    std::string directory; /* the distribution directory */
    std::string bytes;     /* the whole file */
    std::string text;      /* up to the first zero byte; c_str() is what the reader scans */
    bool hasZero = false;

    /* Line number (from 1) of a byte offset: lines end at LF only. */
    int LineOf(size_t offset) const;
    int LineCount() const;

    std::vector<size_t> lineStarts;
};

/* Reads the file; false, with the reason in error, when it cannot. */
bool ScriptFileRead(const std::string &path, ScriptFile *file, std::string *error);

/* Builds a ScriptFile from bytes already in memory. */
void ScriptFileSet(const std::string &path, const std::string &bytes, ScriptFile *file);

#endif
