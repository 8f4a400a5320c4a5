/* The plan as text: each line as tools/receipt.py prints the receipt of a
   real installation, so that the two can be compared line for line. */
#include "tools/checker/planformat.h"

#include "tools/checker/cp1252.h"

std::string PlanFormat(const Plan &plan)
{
    auto u = [](const std::string &text) { return Cp1252ToUtf8(text); };
    std::string out;
    out += "Plan of the installation\n";
    out += "========================\n";
    out += "Installation directory: " + u(plan.installDir) + "\n";
    out += "Required size: " + std::to_string(plan.sizeKb) + " Kb\n";

    out += "\nFiles\n";
    for (const PlannedCopy &c : plan.copies)
        out += "  " + u(c.destination) + "  " + std::to_string(c.size) + " bytes  copy of " +
               c.source + "\n";

    out += "\nDirectories created\n";
    for (const std::string &d : plan.directories)
        out += "  " + u(d) + "\n";

    out += "\nShortcuts\n";
    for (const PlannedShortcut &s : plan.shortcuts) {
        out += "  " + u(s.linkPath) + "\n";
        out += "      target " + u(s.target) + "; description \"" + u(s.description) +
               "\"; icon " + u(s.iconFile) + "," + std::to_string(s.iconIndex) + "\n";
    }

    out += "\nRegistry values written\n";
    for (const PlannedValue &v : plan.values)
        out += "  " + v.root + "\\" + u(v.key) + "  " + (v.name.empty() ? "(default)" : u(v.name)) +
               " = " + u(v.data) + "\n";
    return out;
}
