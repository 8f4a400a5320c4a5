/* The table of diagnostics, and the report printed from what the checks
   found. */
#include "tools/checker/report.h"

#include <algorithm>

const std::vector<DiagnosticKind> &DiagnosticTable()
{
    static const std::vector<DiagnosticKind> table = {
#define DIAGNOSTIC(id, name, severity) {Diag::id, name, Severity::severity},
#include "tools/checker/diagnostics.def"
#undef DIAGNOSTIC
    };
    return table;
}

const DiagnosticKind &DiagnosticOf(Diag id)
{
    return DiagnosticTable()[(size_t)id];
}

bool DiagnosticWarningNamed(const std::string &name, Diag *id)
{
    for (const DiagnosticKind &kind : DiagnosticTable()) {
        if (kind.severity == Severity::Warning && name == kind.name) {
            *id = kind.id;
            return true;
        }
    }
    return false;
}

namespace {

/* "3, 10-31, 40": the lines in order, runs of them as ranges. */
std::string LineList(const std::vector<int> &lines)
{
    std::string list;
    for (size_t i = 0; i < lines.size();) {
        size_t j = i;
        while (j + 1 < lines.size() && lines[j + 1] == lines[j] + 1)
            j++;
        list += (list.empty() ? "" : ", ") + std::to_string(lines[i]);
        if (j > i)
            list += "-" + std::to_string(lines[j]);
        i = j + 1;
    }
    return list;
}

/* The notes under a cause: its consequences, one note a kind at the first
   place of that kind, the other lines listed. */
void PrintConsequences(const std::string &path, const std::vector<const Diagnostic *> &under,
                       const ReportOptions &options, std::ostream &err)
{
    std::vector<Diag> kinds;
    for (const Diagnostic *d : under) {
        if (std::find(kinds.begin(), kinds.end(), d->id) == kinds.end())
            kinds.push_back(d->id);
    }
    for (Diag id : kinds) {
        const DiagnosticKind &kind = DiagnosticOf(id);
        bool warning = kind.severity == Severity::Warning;
        if (warning && options.silenced.count(id) != 0)
            continue;
        const Diagnostic *first = nullptr;
        std::vector<int> others;
        for (const Diagnostic *d : under) {
            if (d->id != id)
                continue;
            if (first == nullptr)
                first = d;
            else if (d->line != first->line && (others.empty() || others.back() != d->line))
                others.push_back(d->line);
        }
        err << path << ":" << first->line << ":" << first->column << ": note: " << first->message;
        if (!others.empty())
            err << "; likewise on " << others.size() << " more line" << (others.size() > 1 ? "s" : "")
                << ": " << LineList(others);
        if (warning)
            err << " [-W" << kind.name << "]";
        else if (kind.name[0] != '\0')
            err << " [" << kind.name << "]";
        err << "\n";
    }
}

} // namespace

int ReportPrint(const std::string &path, const std::vector<Diagnostic> &diagnostics,
                const ReportOptions &options, std::ostream &err)
{
    /* Sorted by place only: two problems of one place keep the order in
       which the checks found them. */
    auto byPlace = [](const Diagnostic *x, const Diagnostic *y) {
        return x->line != y->line ? x->line < y->line : x->column < y->column;
    };
    std::vector<const Diagnostic *> sorted;
    std::vector<std::vector<const Diagnostic *>> under(diagnostics.size());
    sorted.reserve(diagnostics.size());
    for (const Diagnostic &d : diagnostics) {
        if (d.cause >= 0 && (size_t)d.cause < diagnostics.size())
            under[(size_t)d.cause].push_back(&d);
        else
            sorted.push_back(&d);
    }
    std::stable_sort(sorted.begin(), sorted.end(), byPlace);
    int status = 0;
    for (const Diagnostic *d : sorted) {
        const DiagnosticKind &kind = DiagnosticOf(d->id);
        bool warning = kind.severity == Severity::Warning;
        if (warning && options.silenced.count(d->id) != 0)
            continue;
        bool isError = !warning || options.warningsAreErrors;
        err << path << ":" << d->line << ":" << d->column << ": "
            << (isError ? "error" : "warning") << ": " << d->message;
        if (!warning && kind.name[0] != '\0')
            err << " [" << kind.name << "]";
        else if (warning)
            err << (options.warningsAreErrors ? " [-Werror=" : " [-W") << kind.name << "]";
        err << "\n";
        status = std::max(status, isError ? 2 : 1);
        std::vector<const Diagnostic *> &consequences = under[(size_t)(d - diagnostics.data())];
        std::stable_sort(consequences.begin(), consequences.end(), byPlace);
        PrintConsequences(path, consequences, options, err);
    }
    return status;
}

std::string ReportWarningNames()
{
    std::string names;
    for (const DiagnosticKind &kind : DiagnosticTable()) {
        if (kind.severity == Severity::Warning)
            names += std::string(" ") + kind.name;
    }
    return names;
}
