#ifndef TAVELIN_TESTS_CHECKER_SUPPORT_H
#define TAVELIN_TESTS_CHECKER_SUPPORT_H

#include <string>
#include <vector>

/* One problem as the checker prints it. */
struct Reported {
    int line;
    int column;
    std::string severity; /* "error" or "warning" */
    std::string message;  /* without the warning's name */
    std::string warning;  /* the name in [-Wname] or [-Werror=name], or "" */
};

struct CheckResult {
    int code = -1;
    std::string out;
    std::string err;
    std::vector<Reported> reported;

    /* How many problems at that line mention the text: errors when kind is
       "error", else warnings of that name. */
    int Count(int line, const std::string &kind, const std::string &text = "") const;
};

/* A distribution directory of its own, removed afterwards. */
class Distribution {
public:
    Distribution();
    ~Distribution();
    Distribution(const Distribution &) = delete;
    Distribution &operator=(const Distribution &) = delete;

    std::string Path(const std::string &name) const { return root_ + "/" + name; }
    std::string Script() const { return Path("SETUP.INF"); }
    void Write(const std::string &name, const std::string &bytes) const;
    void MakeDirectory(const std::string &name) const;
    /* A file of size bytes that holds no disk space. */
    void Sparse(const std::string &name, long long size) const;

    /* Writes the script (cp1252 bytes) and runs the checker on it. */
    CheckResult Check(const std::string &script,
                      const std::vector<std::string> &options = {}) const;

private:
    std::string root_;
};

/* The problems of the checker's error stream. */
std::vector<Reported> ParseReported(const std::string &err);

/* Runs the checker in-process on the arguments. */
CheckResult RunChecker(const std::vector<std::string> &args);

/* A correct script: settings, a shortcut, and the two programs the registry
   names, whose sources the distribution gets. Lines: 1 [Installer],
   2 Application, 3 Titre, 4 [Groupe], 5 Tavelin.lnk, 6 [Fichiers],
   7 Programme, 8 Desinstallation. */
std::string CorrectScript(const Distribution &d);

/* The lines of the plan between a heading and the next empty line. */
std::vector<std::string> PlanSection(const std::string &plan, const std::string &heading);

#endif
