#ifndef TAVELIN_CHECKER_CLI_H
#define TAVELIN_CHECKER_CLI_H

#include <ostream>
#include <string>
#include <vector>

/* Exit codes: clean, only warnings, errors (or a command line not
   understood). */
enum { CHECK_CLEAN = 0, CHECK_WARNINGS = 1, CHECK_ERRORS = 2 };

/* The whole tool: args without the program name. The plan goes to out, the
   problems, one per line "file:line: severity: message", to err. */
int CheckerRun(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

#endif
