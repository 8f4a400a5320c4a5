/* The command line, the program's exit codes and streams, files that are no
   script. */
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support.h"
#include "tools/checker/report.h"

namespace {

std::string Slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(CheckerCommandLine, ArgumentsNotUnderstoodAreRefused)
{
    Distribution d;
    d.Write("SETUP.INF", CorrectScript(d));
    const std::vector<std::string> refused[] = {
        {},
        {"--plan"},
        {"--bavard", d.Script()},
        {d.Script(), d.Script()},
        {d.Script(), "--desktop"},
        {"-Wno-bavard", d.Script()},
        {"--windows-dir=", d.Script()}, {"--programs", "C:\\\xE2\x82\xAC\xE2\x86\x92", d.Script()},
    };
    for (const auto &args : refused) {
        CheckResult r = RunChecker(args);
        EXPECT_EQ(64, r.code) << r.err;
        EXPECT_NE(std::string::npos, r.err.find("usage: setupcheck")) << r.err;
    }
    CheckResult r = RunChecker({"--help"});
    EXPECT_EQ(0, r.code);
    EXPECT_EQ(0u, r.out.find("usage: setupcheck"));
    EXPECT_NE(std::string::npos, r.out.find(" duplicate-destination ")) << "the warnings' names";
}

/* The table of diagnostics is the only list of names: every warning of it
   is taken by -Wno-NAME and -Werror, listed by --help and by the script
   reference; every error that has a name is listed there too, and refused
   by -Wno-, since an error cannot be silenced. */
TEST(CheckerCommandLine, EveryNameOfTheTableIsTakenListedAndDocumented)
{
    Distribution d;
    d.Write("SETUP.INF", CorrectScript(d));
    std::string help = RunChecker({"--help"}).out;
    EXPECT_EQ('\n', help.empty() ? '\0' : help.back()) << "the help ends its last line";
    size_t listed = help.find("\nWarnings:");
    ASSERT_NE(std::string::npos, listed) << help;
    /* " name " for every name of the list, the last one too */
    std::string list = help.substr(listed + 10, help.size() - listed - 11) + " ";
    std::string reference = Slurp(TAV_SCRIPT_REFERENCE);
    ASSERT_NE(std::string::npos, reference.find("### Warnings")) << TAV_SCRIPT_REFERENCE;
    std::string errors = reference.substr(0, reference.find("### Warnings"));
    std::string warnings = reference.substr(reference.find("### Warnings"));
    for (const DiagnosticKind &kind : DiagnosticTable()) {
        std::string name = kind.name;
        if (name.empty())
            continue;
        SCOPED_TRACE(name);
        CheckResult silenced = RunChecker({"-Wno-" + name, "-Werror", d.Script()});
        if (kind.severity == Severity::Warning) {
            EXPECT_EQ(0, silenced.code) << silenced.err;
            EXPECT_NE(std::string::npos, list.find(" " + name + " ")) << list;
            EXPECT_NE(std::string::npos, warnings.find("| `" + name + "` |"));
        } else {
            EXPECT_EQ(64, silenced.code) << "an error cannot be silenced";
            EXPECT_NE(std::string::npos, errors.find("| `" + name + "`: "));
        }
    }
}

/* What is no script gives one error at 1:1 and exit code 2, never an abort. */
TEST(CheckerCommandLine, FilesThatAreNoScript)
{
    Distribution d;
    d.MakeDirectory("DOSSIER.INF");
    ASSERT_EQ(0, mkfifo(d.Path("TUBE.INF").c_str(), 0600));
    d.Write("VIDE.INF", "");
    static const char png[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x02";
    d.Write("IMAGE.INF", std::string(png, sizeof png - 1));
    d.Sparse("GRAND.INF", 17LL * 1024 * 1024);
    const struct {
        const char *name, *text;
    } cases[] = {
        {"ABSENT.INF", "cannot open"},   {"DOSSIER.INF", "is a directory"},
        {"TUBE.INF", "not a regular file"}, {"VIDE.INF", "empty script"},
        {"IMAGE.INF", "binary data"},    {"GRAND.INF", "longer than 16777216 bytes"},
    };
    for (const auto &c : cases) {
        CheckResult r = RunChecker({d.Path(c.name)});
        EXPECT_EQ(2, r.code) << c.name << ": " << r.err;
        EXPECT_EQ(1, r.Count(1, "error", c.text)) << c.name << ": " << r.err;
        EXPECT_EQ(1u, r.reported.size()) << c.name << ": " << r.err;
        if (!r.reported.empty())
            EXPECT_EQ(1, r.reported[0].column) << c.name;
    }
}

/* The program itself: exit codes 0, 1 and 2; nothing on the output; on the
   error stream one line a problem, FILE:LINE:COLUMN: SEVERITY: message, in
   line order, with the warning's name behind a warning. */
TEST(CheckerCommandLine, ProgramExitCodesAndStreams)
{
    Distribution d;
    std::string correct = CorrectScript(d);
    std::string twice = correct + "Autre=Tavelin.exe;Tavelin.exe\r\n";
    struct Problem {
        int line, column;
        const char *severity;
        std::vector<std::string> parts; /* of its line */
    };
    Problem warned = {9, 7, "warning", {"line 7", " [-Wduplicate-destination]"}};
    Problem raised = {9, 7, "error", {"line 7", " [-Werror=duplicate-destination]"}};
    struct {
        std::string script;
        std::string options;
        int code;
        std::vector<Problem> problems;
    } runs[] = {
        {correct, "", 0, {}},
        {twice, "", 1, {warned}},
        {twice, "-Wno-duplicate-destination", 0, {}},
        {twice, "-Werror", 2, {raised}},
        {"[Fichiers]\r\nAutre=ABSENT\r\n", "", 2,
         {{1, 1, "error", {"La section [Installer] n'existe pas !"}},
          {2, 7, "error", {"\"ABSENT\"", "Ne peut ouvrir"}}}},
    };
    for (const auto &run : runs) {
        SCOPED_TRACE(run.options);
        d.Write("SETUP.INF", run.script);
        std::string command = std::string(TAV_SETUPCHECK) + " " + run.options + " " + d.Script() +
                              " >" + d.Path("out") + " 2>" + d.Path("err");
        int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(run.code, WEXITSTATUS(status));
        EXPECT_EQ("", Slurp(d.Path("out")));
        std::string err = Slurp(d.Path("err"));
        std::vector<Reported> reported = ParseReported(err);
        ASSERT_EQ(run.problems.size(), reported.size()) << err;
        std::istringstream lines(err);
        for (size_t i = 0; i < run.problems.size(); i++) {
            const Problem &p = run.problems[i];
            const Reported &r = reported[i];
            std::string line;
            std::getline(lines, line);
            EXPECT_EQ(0u, line.find(d.Script() + ":")) << line;
            EXPECT_EQ(p.line, r.line) << line;
            EXPECT_EQ(p.column, r.column) << line;
            EXPECT_EQ(p.severity, r.severity) << line;
            for (const std::string &part : p.parts)
                EXPECT_NE(std::string::npos, line.find(part)) << part << " in " << line;
        }
        EXPECT_TRUE(lines.peek() == EOF) << "more than the problems: " << err;
    }
}

} // namespace
