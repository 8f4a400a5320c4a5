#include "tools/checker/cli.h"

#include <algorithm>

#include "tools/checker/checks.h"
#include "tools/checker/cp1252.h"
#include "tools/checker/plan.h"
#include "tools/checker/scriptfile.h"

static const char usage[] =
    "usage: setupcheck [--plan] [--install-dir DIR] [--windows-dir DIR] [--programs DIR]\n"
    "                  [--desktop DIR] [--program-files DIR] path/to/SETUP.INF\n"
    "Checks a setup script and its distribution directory (the script's directory).\n"
    "Problems are printed on the standard error as file:line: severity: message.\n"
    "--plan prints on the standard output what an installation would do.\n"
    "Exit code: 0 clean, 1 warnings only, 2 errors.\n";

namespace {

struct Arguments {
    bool plan = false;
    bool help = false;
    std::string script;
    PlanOptions options;
};

/* false, with the reason, when the command line is not understood */
bool ParseArguments(const std::vector<std::string> &args, Arguments *a, std::string *error)
{
    struct Folder {
        const char *option;
        std::string *field;
    } folders[] = {
        {"--install-dir", &a->options.installDir},
        {"--windows-dir", &a->options.windowsDir},
        {"--programs", &a->options.programsFolder},
        {"--desktop", &a->options.desktopFolder},
        {"--program-files", &a->options.programFilesDir},
    };
    for (size_t i = 0; i < args.size(); i++) {
        const std::string &arg = args[i];
        if (arg == "--plan") {
            a->plan = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            a->help = true;
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

int CheckerRun(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    Arguments a;
    std::string error;
    if (!ParseArguments(args, &a, &error)) {
        err << "setupcheck: " << error << "\n" << usage;
        return CHECK_ERRORS;
    }
    if (a.help) {
        out << usage;
        return CHECK_CLEAN;
    }

    ScriptFile file;
    if (!ScriptFileRead(a.script, &file, &error)) {
        err << a.script << ":0: error: " << error << "\n";
        return CHECK_ERRORS;
    }
    ScriptModel model;
    std::vector<Diagnostic> diagnostics;
    CheckScript(file, &model, &diagnostics);

    std::string planText;
    if (a.plan && model.hasSettings && model.hasFiles)
        planText = PlanFormat(PlanInstallation(model, a.options, &diagnostics));

    std::stable_sort(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic &x, const Diagnostic &y) { return x.line < y.line; });
    int status = CHECK_CLEAN;
    for (const Diagnostic &d : diagnostics) {
        bool isError = d.severity == Severity::Error;
        err << file.path << ":" << d.line << ": " << (isError ? "error" : "warning") << ": "
            << d.message << "\n";
        status = std::max(status, isError ? (int)CHECK_ERRORS : (int)CHECK_WARNINGS);
    }
    out << planText;
    return status;
}
