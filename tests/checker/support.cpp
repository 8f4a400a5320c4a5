#include "support.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "tools/checker/cli.h"

int CheckResult::Count(int line, const std::string &kind, const std::string &text) const
{
    int n = 0;
    for (const Reported &r : reported) {
        bool sort = kind == "error" ? r.severity == "error" && r.warning.empty()
                                    : r.warning == kind;
        if (r.line == line && sort && r.message.find(text) != std::string::npos)
            n++;
    }
    return n;
}

Distribution::Distribution()
{
    char pattern[] = "/tmp/setupcheck-test-XXXXXX";
    const char *made = mkdtemp(pattern);
    EXPECT_NE(nullptr, made);
    root_ = made != nullptr ? made : "/nonexistent";
}

Distribution::~Distribution()
{
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void Distribution::Write(const std::string &name, const std::string &bytes) const
{
    std::ofstream out(Path(name), std::ios::binary);
    out << bytes;
    EXPECT_TRUE(out.good()) << Path(name);
}

void Distribution::MakeDirectory(const std::string &name) const
{
    EXPECT_EQ(0, mkdir(Path(name).c_str(), 0755)) << Path(name);
}

void Distribution::Sparse(const std::string &name, long long size) const
{
    Write(name, "");
    EXPECT_EQ(0, truncate(Path(name).c_str(), (off_t)size)) << Path(name);
}

CheckResult Distribution::Check(const std::string &script,
                                const std::vector<std::string> &options) const
{
    Write("SETUP.INF", script);
    std::vector<std::string> args = options;
    args.push_back(Script());
    return RunChecker(args);
}

std::vector<Reported> ParseReported(const std::string &err)
{
    std::vector<Reported> reported;
    std::istringstream lines(err);
    std::string line;
    while (std::getline(lines, line)) {
        /* path:line:column: severity: message [-Wname] */
        size_t severityAt = line.find(": error: ");
        if (severityAt == std::string::npos)
            severityAt = line.find(": warning: ");
        if (severityAt == std::string::npos)
            continue;
        size_t columnAt = line.rfind(':', severityAt - 1);
        size_t lineAt = line.rfind(':', columnAt - 1);
        Reported r;
        r.line = atoi(line.substr(lineAt + 1, columnAt - lineAt - 1).c_str());
        r.column = atoi(line.substr(columnAt + 1, severityAt - columnAt - 1).c_str());
        size_t messageAt = line.find(": ", severityAt + 2);
        r.severity = line.substr(severityAt + 2, messageAt - severityAt - 2);
        r.message = line.substr(messageAt + 2);
        size_t name = r.message.rfind(" [-W");
        if (name != std::string::npos && r.message.back() == ']') {
            r.warning = r.message.substr(name + 4, r.message.size() - name - 5);
            if (r.warning.compare(0, 6, "error=") == 0)
                r.warning = r.warning.substr(6);
            r.message.resize(name);
        }
        reported.push_back(r);
    }
    return reported;
}

CheckResult RunChecker(const std::vector<std::string> &args)
{
    std::ostringstream out, err;
    CheckResult result;
    result.code = CheckerRun(args, out, err);
    result.out = out.str();
    result.err = err.str();
    result.reported = ParseReported(result.err);
    return result;
}

std::string CorrectScript(const Distribution &d)
{
    d.Write("Tavelin.exe", "MZ programme");
    d.Write("Untave.exe", "MZ d\xE9sinstallation");
    return "[Installer]\r\n"
           "Application=Tavelin\r\n"
           "Titre=Installation de Tavelin\r\n"
           "[Groupe]\r\n"
           "Tavelin.lnk=Tavelin.exe\r\n"
           "[Fichiers]\r\n"
           "Programme=Tavelin.exe\r\n"
           "Desinstallation=%Untave.exe\r\n";
}

std::vector<std::string> PlanSection(const std::string &plan, const std::string &heading)
{
    std::vector<std::string> lines;
    std::istringstream in(plan);
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (inside && line.empty())
            break;
        if (inside)
            lines.push_back(line);
        if (line == heading)
            inside = true;
    }
    return lines;
}
