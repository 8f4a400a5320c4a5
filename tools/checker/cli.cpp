#include "tools/checker/cli.h"

#include <algorithm>

#include "tools/checker/checks.h"
#include "tools/checker/cp1252.h"

static const char usage[] =
    "usage: setupcheck [--plan] [--install-dir DIR] [--current-dir DIR] [--windows-dir DIR]\n"
    "                  [--programs DIR] [--desktop DIR] [--program-files DIR]\n"
    "                  [-Wno-NAME]... [-Werror] path/to/SETUP.INF\n"
    "Checks a setup script and its distribution directory (the script's directory).\n"
    "Problems are printed on the standard error as file:line:column: severity: message.\n"
    "--plan prints on the standard output what an installation would do.\n"
    "-Wno-NAME silences the warning NAME, -Werror makes warnings errors.\n"
    "Exit code: 0 clean, 1 warnings only, 2 errors, 64 command line not understood.\n";

namespace {

struct Arguments {
    bool help = false;
    std::string script;
    CheckRequest request;
};

/* false, with the reason, when the command line is not understood */
bool ParseArguments(const std::vector<std::string> &args, Arguments *a, std::string *error)
{
    PlanOptions &o = a->request.options;
    struct Folder {
        const char *option;
        std::string *field;
    } folders[] = {
        {"--install-dir", &o.installDir},   {"--current-dir", &o.currentDir},
        {"--windows-dir", &o.windowsDir},   {"--programs", &o.programsFolder},
        {"--desktop", &o.desktopFolder},    {"--program-files", &o.programFilesDir},
    };
    for (size_t i = 0; i < args.size(); i++) {
        const std::string &arg = args[i];
        if (arg == "--plan") {
            a->request.plan = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            a->help = true;
            continue;
        }
        if (arg == "-Werror") {
            a->request.warningsAreErrors = true;
            continue;
        }
        if (arg.compare(0, 5, "-Wno-") == 0) {
            if (!CheckIsWarning(arg.substr(5))) {
                *error = "no warning is named " + arg.substr(5);
                return false;
            }
            a->request.silenced.push_back(arg.substr(5));
            continue;
        }
        bool matched = false;
        for (const Folder &f : folders) {
            std::string option = f.option;
            std::string value;
            if (arg == option) {
                if (i + 1 == args.size()) {
                    *error = option + " needs a directory";
                    return false;
                }
                value = args[++i];
            } else if (arg.compare(0, option.size() + 1, option + "=") == 0) {
                value = arg.substr(option.size() + 1);
            } else {
                continue;
            }
            /* the folders are given in UTF-8; the program works in cp1252 */
            if (!Utf8ToCp1252(value, f.field)) {
                *error = option + " " + value + ": not representable in code page 1252";
                return false;
            }
            if (f.field->empty()) {
                *error = option + " needs a directory";
                return false;
            }
            matched = true;
            break;
        }
        if (matched)
            continue;
        if (arg.size() > 1 && arg[0] == '-') {
            *error = "unknown option " + arg;
            return false;
        }
        if (!a->script.empty()) {
            *error = "one script only";
            return false;
        }
        a->script = arg;
    }
    if (a->script.empty() && !a->help) {
        *error = "no script named";
        return false;
    }
    return true;
}

} // namespace

int CheckerReport(const ScriptFile &file, const CheckRequest &request, std::ostream &out,
                  std::ostream &err)
{
    ScriptModel model;
    std::vector<Diagnostic> diagnostics;
    CheckScript(file, &model, &diagnostics);
    std::string planText;
    if (model.hasSettings && model.hasFiles) {
        Plan plan = PlanInstallation(model, request.options, &diagnostics);
        if (request.plan)
            planText = PlanFormat(plan);
    }

    std::stable_sort(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic &x, const Diagnostic &y) {
                         return x.line != y.line ? x.line < y.line : x.column < y.column;
                     });
    int status = CHECK_CLEAN;
    for (const Diagnostic &d : diagnostics) {
        std::string name = d.name != nullptr ? d.name : "";
        bool warning = d.severity == Severity::Warning;
        if (warning && std::find(request.silenced.begin(), request.silenced.end(), name) !=
                                 request.silenced.end())
            continue;
        bool isError = !warning || request.warningsAreErrors;
        err << file.path << ":" << d.line << ":" << d.column << ": "
            << (isError ? "error" : "warning") << ": " << d.message;
        if (!warning && !name.empty())
            err << " [" << name << "]";
        else if (warning)
            err << (request.warningsAreErrors ? " [-Werror=" : " [-W") << name << "]";
        err << "\n";
        status = std::max(status, isError ? (int)CHECK_ERRORS : (int)CHECK_WARNINGS);
    }
    out << planText;
    return status;
}

int CheckerRun(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    Arguments a;
    std::string error;
    if (!ParseArguments(args, &a, &error)) {
        err << "setupcheck: " << error << "\n" << usage;
        return CHECK_USAGE;
    }
    if (a.help) {
        out << usage << "Warnings:";
        for (const char *const *w = checkWarnings; *w != nullptr; w++)
            out << " " << *w;
        out << "\n";
        return CHECK_CLEAN;
    }

    ScriptFile file;
    if (!ScriptFileRead(a.script, &file, &error)) {
        err << a.script << ":1:1: error: " << error << "\n";
        return CHECK_ERRORS;
    }
    return CheckerReport(file, a.request, out, err);
}
