#ifndef TAVELIN_CHECKER_CLI_H
#define TAVELIN_CHECKER_CLI_H

/* The command line of setupcheck: what it asks, and the run. */

#include <ostream>
#include <string>
#include <vector>

#include "tools/checker/plan.h"
#include "tools/checker/report.h"
#include "tools/checker/scriptfile.h"

/* Exit codes: clean, warnings only, errors in the script (or a file that is
   no script), and a command line not understood. */
enum { CHECK_CLEAN = 0, CHECK_WARNINGS = 1, CHECK_ERRORS = 2, CHECK_USAGE = 64 };

/* What the command line asks besides the script. */
struct CheckRequest {
    bool plan = false;
    ReportOptions report; /* the warnings silenced, -Werror */
    PlanOptions options;
};

/* Checks a script read already, prints its problems on err, one a line
   "file:line:column: severity: message [-Wname]", and its plan on out when
   asked; returns the exit code. */
int CheckerReport(const ScriptFile &file, const CheckRequest &request, std::ostream &out,
                  std::ostream &err);

/* The whole tool: args without the program name. */
int CheckerRun(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

#endif
