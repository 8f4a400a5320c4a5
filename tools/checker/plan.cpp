#include "tools/checker/plan.h"

#include <algorithm>

#include "tools/checker/cp1252.h"
#include "ui/dirpath.h"
#include "util/text.h"

namespace {

/* A text buffer of the program: capacity bytes, terminator included, filled
   by the product's own bounded operations so that it is cut where the
   program cuts it. */
class BoundedText {
public:
    explicit BoundedText(int capacity) : buffer_((size_t)capacity, '\0') {}

    BoundedText &Copy(const std::string &text)
    {
        wanted_ = (long long)text.size();
        end_ = TextBoundedCopy(buffer_.data(), Capacity(), text.data(), Length(text));
        return *this;
    }
    BoundedText &Append(const std::string &text)
    {
        wanted_ += (long long)text.size();
        end_ = TextBoundedAppend(buffer_.data(), Capacity(), end_, text.data(), Length(text));
        return *this;
    }
    /* Appends the next field of cursor, as TextNextToken gives it. */
    BoundedText &AppendToken(const char **cursor, char separator)
    {
        TextNextToken(cursor, buffer_.data() + end_, Capacity() - end_, separator);
        end_ = TextLength(buffer_.data());
        return *this;
    }
    std::string Text() const { return buffer_.data(); }
    bool WasCut() const { return wanted_ > end_; }
    long long Wanted() const { return wanted_; }

private:
    int Capacity() const { return (int)buffer_.size(); }
    static int Length(const std::string &text) { return (int)text.size(); }

    std::vector<char> buffer_;
    int end_ = 0;
    long long wanted_ = 0;
};

/* Sizes of the program's buffers, terminator included. */
const int shortText = 128; /* settings, installDir, folders */
const int pathText = 260;  /* destinations, shortcut fields, registry texts */

std::string Cut(const std::string &text, int capacity)
{
    return BoundedText(capacity).Copy(text).Text();
}

std::string Join(const std::string &folder, const std::string &name, int capacity)
{
    return BoundedText(capacity).Copy(folder).Append("\\").Append(name).Text();
}

bool Less(const std::string &a, const std::string &b)
{
    return Cp1252ToUtf8(a) < Cp1252ToUtf8(b);
}

/* The names on Windows compare without regard to capitals. */
bool SameName(const std::string &a, const std::string &b)
{
    return Cp1252EqualNoCase(a, b);
}

bool IsUnder(const std::string &path, const std::string &directory)
{
    if (path.size() < directory.size() || !SameName(path.substr(0, directory.size()), directory))
        return false;
    return path.size() == directory.size() || path[directory.size()] == '\\';
}

std::string InstallationDirectory(const ScriptModel &model, const PlanOptions &options)
{
    std::string typed;
    if (options.installDir.empty()) {
        /* the proposal: program-files directory, '\' and Application */
        BoundedText proposal(shortText);
        proposal.Copy(Cut(options.programFilesDir, shortText)).Append("\\").Append(
            model.application.value);
        typed = proposal.Text();
    } else {
        typed = Cut(options.installDir, pathText);
    }
    char result[shortText];
    DirectoryNormalise(typed.c_str(), nullptr, 0, result, sizeof result);
    return result;
}

void PlanCopies(const ScriptModel &model, const PlanOptions &options, Plan *plan,
                std::vector<Diagnostic> *diagnostics)
{
    std::vector<std::string> created;
    for (const FileEntry &f : model.files) {
        if (f.found.kind != DistKind::File || f.destination.empty())
            continue;
        BoundedText path(pathText);
        if (f.toWindows) {
            /* A Windows directory or a destination too long for the
               program's text fails the copy. */
            const std::string &windows = options.windowsDir;
            path.Copy(windows);
            if (windows.empty() || windows.back() != '\\')
                path.Append("\\");
            path.Append(f.destination);
            if (path.WasCut()) {
                diagnostics->push_back(
                    {f.line, Severity::Error,
                     "destination in the Windows directory longer than 259 characters (" +
                         std::to_string(path.Wanted()) + "): it cannot be opened"});
                continue;
            }
        } else {
            /* 127 + 1 + 127 characters at most: never cut */
            path.Copy(plan->installDir).Append("\\").Append(f.destination);
            /* the directories of the path from its fourth character on, as
               they are created, outermost first */
            std::string destination = path.Text();
            for (size_t i = 3; i < destination.size(); i++) {
                if (destination[i] != '\\')
                    continue;
                std::string directory = destination.substr(0, i);
                if (!IsUnder(directory, plan->installDir))
                    continue;
                bool known = false;
                for (const std::string &d : created)
                    known = known || SameName(d, directory);
                if (!known)
                    created.push_back(directory);
            }
        }
        plan->copies.push_back({f.line, path.Text(), f.found.size, f.source});
    }

    /* the installation directory first, then the others in the receipt's order */
    std::sort(created.begin(), created.end(), [&](const std::string &a, const std::string &b) {
        bool aTop = SameName(a, plan->installDir), bTop = SameName(b, plan->installDir);
        if (aTop != bTop)
            return aTop;
        return Less(a, b);
    });
    plan->directories = created;
}

void PlanShortcuts(const ScriptModel &model, const PlanOptions &options, Plan *plan)
{
    if (!model.hasGroup)
        return;
    std::string group = Join(Cut(options.programsFolder, shortText), model.application.value,
                             shortText);
    std::string desktop = Cut(options.desktopFolder, shortText);
    std::vector<PlannedShortcut> inGroup;
    std::vector<PlannedShortcut> onDesktop;

    auto keep = [](std::vector<PlannedShortcut> *list, const PlannedShortcut &s) {
        for (PlannedShortcut &before : *list) {
            if (SameName(before.linkPath, s.linkPath)) {
                std::string name = before.linkPath; /* the file keeps its first name */
                before = s;
                before.linkPath = name;
                return;
            }
        }
        list->push_back(s);
    };

    for (size_t i = 0; i < model.shortcuts.size(); i++) {
        const ShortcutEntry &entry = model.shortcuts[i];
        PlannedShortcut s;
        const char *cursor = entry.value.c_str();

        s.target = BoundedText(pathText)
                       .Copy(plan->installDir)
                       .Append("\\")
                       .AppendToken(&cursor, ',')
                       .Text();
        s.linkPath = Join(group, entry.name, pathText);
        s.description = BoundedText(pathText).AppendToken(&cursor, ',').Text();
        BoundedText icon(pathText);
        if (*cursor == '%') {
            icon.Copy(plan->installDir).Append("\\");
            cursor++;
        }
        s.iconFile = icon.AppendToken(&cursor, ',').Text();
        s.iconIndex = TextToInteger(cursor);
        keep(&inGroup, s);
        if (i == 0) {
            s.linkPath = Join(desktop, entry.name, pathText);
            keep(&onDesktop, s);
        }
    }
    auto byName = [](const PlannedShortcut &a, const PlannedShortcut &b) {
        return Less(a.linkPath, b.linkPath);
    };
    std::sort(inGroup.begin(), inGroup.end(), byName);
    plan->shortcuts = inGroup;
    plan->shortcuts.insert(plan->shortcuts.end(), onDesktop.begin(), onDesktop.end());
}

void PlanRegistry(const ScriptModel &model, const PlanOptions &options, Plan *plan)
{
    static const char hklm[] = "HKEY_LOCAL_MACHINE";
    static const char hkcr[] = "HKEY_CLASSES_ROOT";
    const std::string &dir = plan->installDir;
    const std::string &application = model.application.value;
    std::vector<PlannedValue> written;

    written.push_back({hklm, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tavelin.exe",
                       "", BoundedText(pathText).Copy(dir).Append("\\Tavelin.exe").Text()});
    std::string uninstall =
        BoundedText(pathText)
            .Copy("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\")
            .Append(application)
            .Text();
    written.push_back({hklm, uninstall, "DisplayName", application});
    std::string windows = options.windowsDir.size() < (size_t)pathText ? options.windowsDir : "";
    std::string command =
        BoundedText(pathText).Copy(windows).Append("\\Untave.exe /").Append(dir).Text();
    written.push_back({hklm, uninstall, "UninstallString", command});

    /* the question answered yes */
    written.push_back({hkcr, "txtfile\\shell\\open\\command", "",
                       BoundedText(pathText).Copy("\"").Append(dir).Append(
                           "\\Tavelin.exe\" \"%1\"").Text()});
    written.push_back({hkcr, "txtfile\\shell\\print\\command", "",
                       BoundedText(pathText).Copy("\"").Append(dir).Append(
                           "\\Tavelin.exe\" /p \"%1\"").Text()});
    if (model.hasRegistration) {
        /* the suffixes as proposed */
        for (const std::string &word : SuffixWords(model.suffixes.value))
            written.push_back({hkcr, "." + word, "", "txtfile"});
    }

    /* A value written twice holds the last data; a key keeps the spelling it
       was created with. */
    std::vector<PlannedValue> values;
    for (const PlannedValue &v : written) {
        bool replaced = false;
        for (PlannedValue &before : values) {
            if (before.root == v.root && SameName(before.key, v.key) &&
                SameName(before.name, v.name)) {
                before.data = v.data;
                replaced = true;
            }
        }
        if (!replaced)
            values.push_back(v);
    }
    std::sort(values.begin(), values.end(), [](const PlannedValue &a, const PlannedValue &b) {
        std::string ka = a.root + "\\" + a.key, kb = b.root + "\\" + b.key;
        if (ka != kb)
            return Less(ka, kb);
        return Less(a.name, b.name);
    });
    plan->values = values;
}

} // namespace

Plan PlanInstallation(const ScriptModel &model, const PlanOptions &options,
                      std::vector<Diagnostic> *diagnostics)
{
    Plan plan;
    plan.installDir = InstallationDirectory(model, options);
    plan.sizeKb = (model.totalSize + 1023) / 1024;
    PlanCopies(model, options, &plan, diagnostics);
    PlanShortcuts(model, options, &plan);
    PlanRegistry(model, options, &plan);
    return plan;
}

std::string PlanFormat(const Plan &plan)
{
    auto u = [](const std::string &text) { return Cp1252ToUtf8(text); };
    std::string out;
    out += "Plan of the installation\n";
    out += "========================\n";
    out += "Installation directory: " + u(plan.installDir) + "\n";
    out += "Required size: " + std::to_string(plan.sizeKb) + " Kb\n";

    out += "\nFiles\n";
    for (const PlannedCopy &c : plan.copies)
        out += "  " + u(c.destination) + "  " + std::to_string(c.size) + " bytes  copy of " +
               u(c.source) + "\n";

    out += "\nDirectories created\n";
    for (const std::string &d : plan.directories)
        out += "  " + u(d) + "\n";

    out += "\nShortcuts\n";
    for (const PlannedShortcut &s : plan.shortcuts) {
        out += "  " + u(s.linkPath) + "\n";
        out += "      target " + u(s.target) + "; description \"" + u(s.description) +
               "\"; icon " + u(s.iconFile) + "," + std::to_string(s.iconIndex) + "\n";
    }

    out += "\nRegistry values written\n";
    for (const PlannedValue &v : plan.values)
        out += "  " + v.root + "\\" + u(v.key) + "  " + (v.name.empty() ? "(default)" : u(v.name)) +
               " = " + u(v.data) + "\n";
    return out;
}
