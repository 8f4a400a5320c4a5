#include "tools/checker/winpath.h"

#include <stdio.h>

#include "tools/checker/cp1252.h"

static std::string WinUpper(const std::string &text)
{
    std::string upper = text;
    for (char &c : upper)
        c = (char)Cp1252Upper((unsigned char)c);
    return upper;
}

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
    std::vector<std::string> raw;
    std::string part;
    for (size_t i = at; i <= name.size(); i++) {
        if (i < name.size() && name[i] != '\\' && name[i] != '/') {
            part.push_back(name[i]);
            continue;
        }
        if (!part.empty())
            raw.push_back(part);
        part.clear();
    }
    path.trailingSeparator = !name.empty() && (name.back() == '\\' || name.back() == '/');

    for (size_t i = 0; i < raw.size(); i++) {
        std::string p = raw[i];
        if (p == ".")
            continue;
        if (p == "..") {
            if (path.parts.empty())
                path.climbed += path.root.empty() ? 1 : 0;
            else
                path.parts.pop_back();
            continue;
        }
        bool last = i + 1 == raw.size() && !path.trailingSeparator;
        if (last) {
            while (!p.empty() && (p.back() == ' ' || p.back() == '.'))
                p.pop_back();
        } else if (p.back() == '.') {
            p.pop_back();
        }
        if (!p.empty())
            path.parts.push_back(p);
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
    std::string key = WinUpper(root);
    for (size_t i = 0; i < parts.size() && i < count; i++)
        key += "\\" + WinUpper(parts[i]);
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
    std::string base = WinUpper(part.substr(0, part.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    static const char *const devices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char *d : devices) {
        if (base == d)
            return true;
    }
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}
