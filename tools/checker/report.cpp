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

int ReportPrint(const std::string &path, const std::vector<Diagnostic> &diagnostics,
                const ReportOptions &options, std::ostream &err)
{
    /* Sorted by place only: two problems of one place keep the order in
       which the checks found them. */
    std::vector<const Diagnostic *> sorted;
    sorted.reserve(diagnostics.size());
    for (const Diagnostic &d : diagnostics)
        sorted.push_back(&d);
    std::stable_sort(sorted.begin(), sorted.end(), [](const Diagnostic *x, const Diagnostic *y) {
        return x->line != y->line ? x->line < y->line : x->column < y->column;
    });
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
