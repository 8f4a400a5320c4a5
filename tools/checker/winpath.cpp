/* Names as Windows takes them: resolved into parts, refused, made usable,
   and registry key paths as they are walked. */
#include "tools/checker/winpath.h"

#include <stdio.h>

#include "actions/keypath.h"
#include "tools/checker/cp1252.h"

WinPath WinPathResolve(const std::string &name)
{
    WinPath path;
    size_t at = 0;
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (name.size() >= 2 && name[1] == ':') {
        path.root = name.substr(0, 2);
        at = 2;
    } else if (name.size() > 2 && separator(name[0]) && separator(name[1]) && !separator(name[2])) {
        /* a network path: "\\server\share" is its root, which ".." never leaves */
        size_t server = name.find_first_of("\\/", 2);
        size_t share = server == std::string::npos ? std::string::npos
                                                   : name.find_first_of("\\/", server + 1);
        at = share == std::string::npos ? name.size() : share;
        path.root = "\\\\" + name.substr(2, (server == std::string::npos ? at : server) - 2);
        if (server != std::string::npos && server + 1 < at)
            path.root += "\\" + name.substr(server + 1, at - server - 1);
    }
    path.trailingSeparator = !name.empty() && separator(name.back());
    for (size_t start = at; start < name.size();) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = name.size();
        if (end == start) {
            start++;
            continue;
        }
        std::string part(name, start, end - start);
        start = end;
        if (part == ".")
            continue;
        if (part == "..") {
            if (path.parts.empty())
                path.climbed += path.root.empty() ? 1 : 0;
            else
                path.parts.pop_back();
            continue;
        }
        if (end == name.size()) {
            /* the last part, which no separator follows */
            while (!part.empty() && (part.back() == ' ' || part.back() == '.'))
                part.pop_back();
        } else if (part.back() == '.') {
            part.pop_back();
        }
        if (!part.empty())
            path.parts.push_back(std::move(part));
    }
    return path;
}

std::string WinPath::Text() const
{
    std::string text = root;
    for (size_t i = 0; i < parts.size(); i++) {
        if (i > 0 || !root.empty())
            text += "\\";
        text += parts[i];
    }
    if ((parts.empty() && !root.empty()) || trailingSeparator)
        text += "\\";
    return text;
}

std::string WinPath::Key(size_t count) const
{
    std::string key;
    Cp1252AppendUpper(&key, root);
    for (size_t i = 0; i < parts.size() && i < count; i++) {
        key += '\\';
        Cp1252AppendUpper(&key, parts[i]);
    }
    return key;
}

std::string WinNameProblem(const std::string &part)
{
    for (unsigned char c : part) {
        if (c < 32) {
            char code[8];
            snprintf(code, sizeof code, "0x%02X", c);
            return std::string("the control character ") + code;
        }
        if (c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*')
            return std::string("the character '") + (char)c + "'";
    }
    return "";
}

bool WinIsDeviceName(const std::string &part)
{
    size_t end = part.find('.');
    if (end == std::string::npos)
        end = part.size();
    while (end > 0 && part[end - 1] == ' ')
        end--;
    /* every device's name has three or four characters */
    if (end != 3 && end != 4)
        return false;
    std::string base = Cp1252UpperText(part.substr(0, end));
    static const char *const devices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char *d : devices) {
        if (base == d)
            return true;
    }
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

WinRefusal WinNameRefusal(const std::string &name)
{
    WinRefusal refusal;
    for (const std::string &part : WinPathResolve(name).parts) {
        refusal.problem = WinNameProblem(part);
        refusal.part = part;
        if (!refusal.problem.empty()) {
            refusal.kind = WinRefusal::Character;
            return refusal;
        }
        if (WinIsDeviceName(part)) {
            refusal.kind = WinRefusal::Device;
            return refusal;
        }
    }
    return WinRefusal();
}

std::string WinUsableName(const std::string &name)
{
    std::string usable;
    for (char c : name) {
        bool refused = !WinNameProblem(std::string(1, c)).empty() || c == '\\' || c == '/';
        usable += refused ? '_' : c;
    }
    while (!usable.empty() && (usable.back() == ' ' || usable.back() == '.'))
        usable.pop_back();
    if (usable.empty() || WinIsDeviceName(usable))
        usable += "_";
    return usable;
}

std::string WinRegistryKey(const std::string &path)
{
    std::string key;
    const char *cursor = path.c_str();
    while (*cursor != '\0') {
        char component[KEYPATH_COMPONENT_CAPACITY];
        KeyPathNextComponent(&cursor, component);
        if (component[0] != '\0')
            key += (key.empty() ? "" : "\\") + std::string(component);
    }
    return key;
}
