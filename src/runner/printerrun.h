#pragma once

#include "junitreport.h"
#include "plan.h"
#include "planexecutor.h"
#include "printertarget.h"

namespace runner {

// One run of a checked plan on one printer, on controls from opos::ControlFactory made after the
// printer was selected: names the devices file and the connection first, runs the steps, ends with
// the summary and gives the run as a test suite.
class PrinterRun {
public:
    PrinterRun(StatusOutput::Sink out, PlanExecutor::AskOperator askOperator, PlanExecutor::Settings settings)
        : m_out(std::move(out)), m_askOperator(std::move(askOperator)), m_settings(settings) {}

    SuiteReport run(const Plan& plan, const PrinterSetting& setting, const QString& suiteName);
    // Whether the run is to fail the call: an expectation failed, or --strict found nothing checked.
    bool failed() const { return m_failed; }
    const RunTally& tally() const { return m_tally; }

private:
    StatusOutput::Sink m_out;
    PlanExecutor::AskOperator m_askOperator;
    PlanExecutor::Settings m_settings;
    RunTally m_tally;
    bool m_failed = false;
};

} // namespace runner
