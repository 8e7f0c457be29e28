#pragma once

#include "eventrecorder.h" // declares the two contracts too
#include "expectationoutcome.h"
#include "resolvedstep.h"

#include <QList>
#include <functional>

namespace runner {

// Runs resolved steps one after the other, writing the status lines the windows write, and checks
// the expectations. A failed expectation is reported and the run goes on.
class PlanExecutor {
public:
    // Puts a question to the operator and returns once answered, or after withinMs.
    using AskOperator = std::function<void(const QString& question, int withinMs)>;

    PlanExecutor(opos::PosPrinter& printer, opos::CashDrawer& drawer, StatusOutput& output,
                 AskOperator askOperator);

    QList<ExpectationOutcome> run(const QList<ResolvedStep>& steps);

    // How long the event loop runs after each step, so its events show before the next one.
    static constexpr int SettleMs = 15;

private:
    void runStep(const ResolvedStep& step, QList<ExpectationOutcome>& outcomes);
    void runMethod(const ResolvedStep& step);
    void runSet(const ResolvedStep& step);
    void readProperty(const ResolvedStep& step);
    ExpectationOutcome check(const ResolvedStep& step);
    void noteResult(const ResolvedStep& step, qint32 code, const QString& pieces);
    qint32 resultCodeOf(const ResolvedStep& step) const;
    QString deviceLabel(const ResolvedStep& step) const;

    opos::PosPrinter& m_printer;
    opos::CashDrawer& m_drawer;
    StatusOutput& m_output;
    EventRecorder m_events;
    AskOperator m_askOperator;
    StepResult m_last;
};

} // namespace runner
