/* The model of the machine's files and directories as Windows makes and
   opens them. */
#include "tools/checker/windisk.h"

#include "tools/checker/cp1252.h"

void WinDisk::Existing(const std::string &path)
{
    WinPath p = WinPathResolve(path);
    for (size_t i = 1; i <= p.parts.size(); i++)
        Insert(p, i, Node{p.parts[i - 1], true, false, 0, ""});
}

const WinDisk::Node *WinDisk::Find(const WinPath &p, size_t count) const
{
    auto found = nodes_.find(p.Key(count));
    return found == nodes_.end() ? nullptr : &found->second;
}

std::string WinDisk::Display(const WinPath &p) const
{
    return DisplayOf(p, p.parts.size(), p.trailingSeparator);
}

/* The first count parts of p, and a final separator when trailing. */
std::string WinDisk::DisplayOf(const WinPath &p, size_t count, bool trailing) const
{
    std::string key = p.Key(0);
    std::string text = p.root.size() == 2 ? key : p.root;
    for (size_t i = 0; i < count; i++) {
        const std::string &part = p.parts[i];
        key += '\\';
        Cp1252AppendUpper(&key, part);
        auto n = nodes_.find(key);
        text += '\\';
        text += n != nodes_.end() ? n->second.spelling : part;
    }
    if (count == 0 || trailing)
        text += "\\";
    return text;
}

WinDisk::Result WinDisk::MakeDirectory(const std::string &path, int line, std::string *why)
{
    return MakeDirectory(WinPathResolve(path), line, why);
}

WinDisk::Result WinDisk::MakeDirectory(const WinPath &p, int line, std::string *why)
{
    if (p.parts.empty() || Find(p) != nullptr)
        return Existed;
    if (!ParentExists(p, why) || !NameAllowed(p, why))
        return Failed;
    /* A device answers that it exists, and is no directory. */
    bool device = WinIsDeviceName(p.parts.back());
    Insert(p, p.parts.size(), Node{p.parts.back(), !device, !device, line, ""});
    if (device)
        *why = "Windows takes " + Cp1252Quote(p.parts.back()) + " for a device";
    return device ? Device : Made;
}

WinDisk::Result WinDisk::MakeFile(const WinPath &p, int line, std::string *why)
{
    if (p.parts.empty() || p.trailingSeparator) {
        *why = "it names a directory";
        return Failed;
    }
    if (!ParentExists(p, why) || !NameAllowed(p, why))
        return Failed;
    if (WinIsDeviceName(p.parts.back())) {
        *why = "Windows takes " + Cp1252Quote(p.parts.back()) + " for a device";
        return Device;
    }
    const Node *n = Find(p);
    if (n != nullptr && n->directory) {
        *why = Cp1252Quote(Display(p)) + " is a directory" +
               (n->made && n->line > 0 ? " made for line " + std::to_string(n->line) : "");
        return Failed;
    }
    if (n != nullptr) {
        *why = n->made ? "line " + std::to_string(n->line) : "";
        return Existed;
    }
    Insert(p, p.parts.size(), Node{p.parts.back(), false, true, line, ""});
    return Made;
}

std::vector<std::string> WinDisk::MadeDirectories() const
{
    std::vector<std::string> made;
    for (const auto &n : nodes_) {
        if (n.second.made && n.second.directory)
            made.push_back(n.second.display);
    }
    return made;
}

/* The first count parts of p become node, unless they name one already. */
void WinDisk::Insert(const WinPath &p, size_t count, Node node)
{
    auto inserted = nodes_.emplace(p.Key(count), std::move(node));
    if (inserted.second)
        inserted.first->second.display = DisplayOf(p, count, false);
}

bool WinDisk::ParentExists(const WinPath &p, std::string *why) const
{
    if (p.parts.size() == 1)
        return true;
    const Node *parent = Find(p, p.parts.size() - 1);
    if (parent != nullptr && parent->directory)
        return true;
    WinPath above = p;
    above.parts.pop_back();
    above.trailingSeparator = false;
    *why = Cp1252Quote(Display(above)) +
           (parent == nullptr ? " does not exist" : " is no directory");
    char end = p.parts[p.parts.size() - 2].back();
    if (parent == nullptr && (end == ' ' || end == '.'))
        *why += " (a directory is made without the blanks and dots that end its name, but "
                "they stay in a path that goes on below it)";
    return false;
}

bool WinDisk::NameAllowed(const WinPath &p, std::string *why) const
{
    std::string problem = WinNameProblem(p.parts.back());
    if (problem.empty())
        return true;
    *why = Cp1252Quote(p.parts.back()) + " holds " + problem + ", which Windows refuses in a name";
    return false;
}

const std::vector<std::string> &WinUsualSubfolders()
{
    static const std::vector<std::string> usual = {"System", "System32", "Fonts",
                                                   "Help",   "Inf",      "Temp"};
    return usual;
}

bool WinIsUnder(const WinPath &path, const std::string &directory)
{
    return WinIsUnderKey(path, WinPathResolve(directory).Key());
}

bool WinIsUnderKey(const WinPath &path, const std::string &top)
{
    std::string key = path.Key();
    return key.compare(0, top.size(), top) == 0 &&
           (key.size() == top.size() || key[top.size()] == '\\');
}
