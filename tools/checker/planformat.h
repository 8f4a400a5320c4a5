#ifndef TAVELIN_CHECKER_PLANFORMAT_H
#define TAVELIN_CHECKER_PLANFORMAT_H

/* The plan printed for the packager and for the comparison with a receipt. */

#include <string>

#include "tools/checker/plan.h"

/* The plan as UTF-8 text: a heading, then the sections "Files",
   "Directories created", "Shortcuts" and "Registry values written", each
   line as tools/receipt.py prints it. */
std::string PlanFormat(const Plan &plan);

#endif
