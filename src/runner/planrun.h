#pragma once

#include "plan.h"
#include "planexecutor.h"
#include "plansource.h"
#include "printertarget.h"

#include <QString>
#include <functional>

namespace runner {

// True when the plan opens the virtual printer's window, which needs a display.
bool showsVirtualPrinter(const Plan& plan);

struct RunOptions {
    QString junitFile;            // empty: no report
    bool strict = false;          // a result no `expect` checks must be OPOS_SUCCESS; a plan must check
    bool operatorPresent = true;  // false: ask and show are left out, and every check after an ask
    QList<PrinterTarget> targets; // empty: one run on the plan's printer in the usual devices file
};

// A run of a plan on controls from opos::ControlFactory. The report file is opened first and every
// step is checked against the controls, so a report that cannot be written or any error of the plan
// stops it before a step runs (every error is reported, and a report written with one failed test
// case each). Then it runs on each printer, prints the summary and writes the report. Exit codes: 0
// when every expectation held, 1 when one failed (or --strict found nothing checked), 2 for an error
// of the plan (nothing ran) or a report that could not be written.
class PlanRun {
public:
    using Sink = std::function<void(const QString& line)>;
    PlanRun(Sink out, Sink errors, PlanExecutor::AskOperator askOperator, PrinterSelector selector = {});

    int run(const Plan& plan, const RunOptions& options = {});

private:
    QList<PlanError> checkAgainstControls(const Plan& plan) const;

    Sink m_out;
    Sink m_errors;
    PlanExecutor::AskOperator m_askOperator;
    PrinterSelector m_selector;
};

// The operator's side of a run on a terminal: waits for Enter on `input` (standard input).
PlanExecutor::AskOperator terminalOperator(PlanRun::Sink out, int input = 0);

} // namespace runner
