#include "tools/checker/scriptfile.h"

#include <algorithm>
#include <fstream>
#include <iterator>

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
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot open the script";
        return false;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        *error = "cannot read the script";
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

int ScriptFile::LineCount() const
{
    return bytes.empty() ? 0 : (int)lineStarts.size();
}
