/* The script file read from the disk as the program loads it, and the
   lines and columns of its bytes. */
#include "tools/checker/scriptfile.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>

void ScriptFileSet(const std::string &path, const std::string &bytes, ScriptFile *file)
{
    file->path = path;
    size_t slash = path.rfind('/');
    file->directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    file->bytes = bytes;
    size_t zero = bytes.find('\0');
    file->hasZero = zero != std::string::npos;
    file->text = file->hasZero ? bytes.substr(0, zero) : bytes;
    file->lineStarts.assign(1, 0);
    for (size_t i = 0; i < bytes.size(); i++) {
        if (bytes[i] == '\n' && i + 1 < bytes.size())
            file->lineStarts.push_back(i + 1);
    }
}

bool ScriptFileRead(const std::string &path, ScriptFile *file, std::string *error)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        *error = std::string("cannot open the script: ") + strerror(errno);
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        *error = "is a directory, not a setup script";
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        *error = "is not a regular file, not a setup script";
        return false;
    }
    std::string tooLong = "the file is longer than " + std::to_string(scriptSizeLimit) +
                          " bytes, which no setup script is; it is not checked";
    if ((long long)status.st_size > scriptSizeLimit) {
        *error = tooLong;
        return false;
    }
    FILE *in = fopen(path.c_str(), "rb");
    if (in == nullptr) {
        *error = std::string("cannot open the script: ") + strerror(errno);
        return false;
    }
    /* Read to the end, not to the size seen: the file may grow meanwhile. */
    std::string bytes;
    char chunk[65536];
    size_t n;
    bool failed = false;
    while ((n = fread(chunk, 1, sizeof chunk, in)) > 0 &&
           (long long)bytes.size() <= scriptSizeLimit)
        bytes.append(chunk, n);
    failed = ferror(in) != 0;
    int readError = errno;
    fclose(in);
    if (failed) {
        *error = std::string("cannot read the script: ") + strerror(readError);
        return false;
    }
    if ((long long)bytes.size() > scriptSizeLimit) {
        *error = tooLong;
        return false;
    }
    ScriptFileSet(path, bytes, file);
    return true;
}

int ScriptFile::LineOf(size_t offset) const
{
    auto after = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    return (int)(after - lineStarts.begin());
}

int ScriptFile::ColumnOf(size_t offset) const
{
    return (int)(offset - lineStarts[(size_t)LineOf(offset) - 1]) + 1;
}

int ScriptFile::LineCount() const
{
    return bytes.empty() ? 0 : (int)lineStarts.size();
}
