#ifndef TAVELIN_CHECKER_REPORT_H
#define TAVELIN_CHECKER_REPORT_H

/* The diagnostics of setupcheck: their table, the reporter every check and
   the planner report to, and the report printed from them. */

#include <ostream>
#include <set>
#include <string>
#include <vector>

enum class Severity { Warning, Error };

/* The identifiers of diagnostics.def: a diagnostic missing from the table
   cannot be reported. */
enum class Diag {
#define DIAGNOSTIC(id, name, severity) id,
#include "tools/checker/diagnostics.def"
#undef DIAGNOSTIC
};

/* A row of the table. */
struct DiagnosticKind {
    Diag id;
    const char *name; /* "" for an error without a name */
    Severity severity;
};

/* Every row, in the table's order. */
const std::vector<DiagnosticKind> &DiagnosticTable();
const DiagnosticKind &DiagnosticOf(Diag id);

/* The warning of that name, for -Wno-NAME: false when no warning has it. */
bool DiagnosticWarningNamed(const std::string &name, Diag *id);

/* One problem found. Problems of the whole file are at line 1, column 1. */
struct Diagnostic {
    int line;   /* from 1 */
    int column; /* from 1; one byte is one character in code page 1252 */
    Diag id;
    std::string message; /* UTF-8 */
    /* The index in Report::found of the error this problem follows from,
       or -1: such problems are printed under that error as notes, one for
       each kind, rather than each on its own line. */
    int cause = -1;
};

/* What the checks found, in the order they found it. */
struct Report {
    std::vector<Diagnostic> found;

    void Add(Diag id, int line, int column, const std::string &message)
    {
        found.push_back(Diagnostic{line, column, id, message, -1});
    }
};

/* How the command line asks the report. */
struct ReportOptions {
    std::set<Diag> silenced; /* warnings not printed */
    bool warningsAreErrors = false;
};

/* Prints the diagnostics on err in line and column order, one a line
   "file:line:column: severity: message [-Wname]", those that follow from
   an error grouped under it, each kind as one note at its first place
   "file:line:column: note: message; likewise on N more lines: ... [-Wname]";
   returns the exit code they give: 0 none, 1 warnings only, 2 errors
   (notes count for nothing). */
int ReportPrint(const std::string &path, const std::vector<Diagnostic> &diagnostics,
                const ReportOptions &options, std::ostream &err);

/* The names of the warnings, in the table's order, each after a blank. */
std::string ReportWarningNames();

#endif
