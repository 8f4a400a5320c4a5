#ifndef TAVELIN_TESTS_CHECKER_SUPPORT_H
#define TAVELIN_TESTS_CHECKER_SUPPORT_H

#include <string>
#include <vector>

/* One problem as the checker prints it. */
struct Reported {
    int line;
    std::string severity;
    std::string message;
};

struct CheckResult {
    int code = -1;
    std::string out;
    std::string err;
    std::vector<Reported> reported;

    /* How many problems of that severity at that line mention the text. */
    int Count(int line, const std::string &severity, const std::string &text = "") const;
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

    /* Writes the script (cp1252 bytes) and runs the checker on it. */
    CheckResult Check(const std::string &script,
                      const std::vector<std::string> &options = {}) const;

private:
    std::string root_;
};

/* Runs the checker in-process on the arguments. */
CheckResult RunChecker(const std::vector<std::string> &args);

/* A correct script: settings, and one file whose source, Tavelin.exe, the
   distribution gets. Lines: 1 [Installer], 2 Application, 3 Titre,
   4 empty, 5 [Fichiers], 6 Programme. */
std::string CorrectScript(const Distribution &d);

/* The lines of the plan between a heading and the next empty line. */
std::vector<std::string> PlanSection(const std::string &plan, const std::string &heading);

#endif
