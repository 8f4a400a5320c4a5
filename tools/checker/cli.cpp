/* setupcheck's command line: the options, the help, and a run from the
   script's reading to its report and plan. */
#include "tools/checker/cli.h"

#include <set>
#include <utility>

#include "tools/checker/checks.h"
#include "tools/checker/cp1252.h"
#include "tools/checker/planformat.h"

static const char usage[] =
    "usage: setupcheck [--plan] [--install-dir DIR] [--current-dir DIR] [--windows-dir DIR]\n"
    "                  [--programs DIR] [--desktop DIR] [--program-files DIR] [--wow64]\n"
    "                  [-Wno-NAME]... [-Werror] path/to/SETUP.INF\n"
    "Checks a setup script and its distribution directory (the script's directory).\n"
    "Problems are printed on the standard error as file:line:column: severity: message.\n"
    "--plan prints on the standard output what an installation would do.\n"
    "--wow64 plans for 64-bit Windows, where SETUP.EXE runs as a 32-bit program.\n"
    "-Wno-NAME silences the warning NAME, -Werror makes warnings errors.\n"
    "Exit code: 0 clean, 1 warnings only, 2 errors, 64 command line not understood.\n";

namespace {

struct Arguments {
    bool help = false;
    std::string script;
    CheckRequest request;
};

/* A folder of the machine given at args[*i] ("--option DIR" or
   "--option=DIR"): 1 when taken, 0 when args[*i] is no folder option, -1
   with the reason when it is one and its directory is not understood. */
int ParseFolder(const std::vector<std::string> &args, size_t *i, PlanOptions *o,
                std::string *error)
{
    const struct {
        const char *option;
        std::string *field;
    } folders[] = {
        {"--install-dir", &o->installDir},   {"--current-dir", &o->currentDir},
        {"--windows-dir", &o->windowsDir},   {"--programs", &o->programsFolder},
        {"--desktop", &o->desktopFolder},    {"--program-files", &o->programFilesDir},
    };
    const std::string &arg = args[*i];
    for (const auto &f : folders) {
        std::string option = f.option;
        std::string value;
        if (arg == option) {
            if (*i + 1 == args.size()) {
                *error = option + " needs a directory";
                return -1;
            }
            value = args[++*i];
        } else if (arg.compare(0, option.size() + 1, option + "=") == 0) {
            value = arg.substr(option.size() + 1);
        } else {
            continue;
        }
        /* the folders are given in UTF-8; the program works in cp1252 */
        if (!Utf8ToCp1252(value, f.field)) {
            *error = option + " " + value + ": not representable in code page 1252";
            return -1;
        }
        if (f.field->empty()) {
            *error = option + " needs a directory";
            return -1;
        }
        return 1;
    }
    return 0;
}

/* false, with the reason, when the command line is not understood */
bool ParseArguments(const std::vector<std::string> &args, Arguments *a, std::string *error)
{
    for (size_t i = 0; i < args.size(); i++) {
        const std::string &arg = args[i];
        if (arg == "--plan") {
            a->request.plan = true;
            continue;
        }
        if (arg == "--wow64") {
            a->request.options.wow64 = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            a->help = true;
            continue;
        }
        if (arg == "-Werror") {
            a->request.report.warningsAreErrors = true;
            continue;
        }
        if (arg.compare(0, 5, "-Wno-") == 0) {
            Diag silenced;
            if (!DiagnosticWarningNamed(arg.substr(5), &silenced)) {
                *error = "no warning is named " + arg.substr(5);
                return false;
            }
            a->request.report.silenced.insert(silenced);
            continue;
        }
        int folder = ParseFolder(args, &i, &a->request.options, error);
        if (folder < 0)
            return false;
        if (folder > 0)
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
    /* the program-files directory a 32-bit program reads there, unless given */
    bool programFilesGiven = false;
    for (const std::string &arg : args)
        programFilesGiven |= arg.compare(0, 15, "--program-files") == 0;
    if (a->request.options.wow64 && !programFilesGiven)
        a->request.options.programFilesDir = kPlanWow64ProgramFiles;
    if (a->script.empty() && !a->help) {
        *error = "no script named";
        return false;
    }
    return true;
}

/* The checks of a script and the play of its installation, into report;
   false when the program would end before it installs anything. */
bool CheckAndPlan(const ScriptFile &file, const PlanOptions &options, Report *report, Plan *plan)
{
    ScriptModel model;
    CheckScript(file, &model, report);
    if (!model.hasSettings || !model.hasFiles)
        return false;
    *plan = PlanInstallation(model, options, report);
    return true;
}

/* A script saved in UTF-8: what the same script saved in code page 1252
   would not give follows from the encoding, and is grouped under the error
   that tells it, so that the first thing read is the fix. */
void GroupEncodingConsequences(const ScriptFile &file, const PlanOptions &options,
                               Report *report)
{
    std::vector<Diagnostic> &found = report->found;
    size_t cause = 0;
    while (cause < found.size() && found[cause].id != Diag::Utf8Script)
        cause++;
    if (cause == found.size())
        return;
    ScriptFile fixed;
    ScriptFileSet(file.path, ScriptInCp1252(file), &fixed);
    fixed.directory = file.directory;
    Report again;
    Plan ignored;
    CheckAndPlan(fixed, options, &again, &ignored);
    std::set<std::pair<int, Diag>> remaining;
    for (const Diagnostic &d : again.found)
        remaining.insert({d.line, d.id});
    int grouped = 0;
    for (size_t i = 0; i < found.size(); i++) {
        if (i != cause && remaining.count({found[i].line, found[i].id}) == 0) {
            found[i].cause = (int)cause;
            grouped++;
        }
    }
    if (grouped > 0)
        found[cause].message += "; the " + std::to_string(grouped) + " problem" +
                                (grouped > 1 ? "s" : "") + " noted below follow" +
                                (grouped > 1 ? "" : "s") + " from it";
}

} // namespace

int CheckerReport(const ScriptFile &file, const CheckRequest &request, std::ostream &out,
                  std::ostream &err)
{
    Report report;
    Plan plan;
    bool planned = CheckAndPlan(file, request.options, &report, &plan);
    GroupEncodingConsequences(file, request.options, &report);
    int status = ReportPrint(file.path, report.found, request.report, err);
    if (planned && request.plan)
        out << PlanFormat(plan);
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
        out << usage << "Warnings:" << ReportWarningNames() << "\n";
        return CHECK_CLEAN;
    }

    ScriptFile file;
    if (!ScriptFileRead(a.script, &file, &error)) {
        Report report;
        report.Add(Diag::NotAScript, 1, 1, error);
        return ReportPrint(a.script, report.found, a.request.report, err);
    }
    return CheckerReport(file, a.request, out, err);
}
