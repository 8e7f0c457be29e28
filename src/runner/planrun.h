#pragma once

#include "plan.h"
#include "planexecutor.h"

#include <QString>
#include <functional>

namespace runner {

// Reads a plan file; a file that cannot be read is an error of line 0.
Plan loadPlan(const QString& file);

// True when the plan opens the virtual printer's window, which needs a display.
bool showsVirtualPrinter(const Plan& plan);

// One run of a plan on controls from opos::ControlFactory: resolves every step first, runs them,
// prints the summary and writes the JUnit report. Exit codes: 0 when every expectation held,
// 1 when one failed, 2 for a plan error (nothing ran) or a report that could not be written.
class PlanRun {
public:
    using Sink = std::function<void(const QString& line)>;
    PlanRun(Sink out, Sink errors, PlanExecutor::AskOperator askOperator);

    int run(const Plan& plan, const QString& junitFile = {});

private:
    Sink m_out;
    Sink m_errors;
    PlanExecutor::AskOperator m_askOperator;
};

// The operator's side of a run on a terminal: waits for Enter on standard input.
PlanExecutor::AskOperator terminalOperator(PlanRun::Sink out);

} // namespace runner
