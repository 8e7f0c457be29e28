#pragma once

#include "eventrecorder.h" // declares the two contracts too
#include "expectationoutcome.h"
#include "printeridentity.h"
#include "resolvedstep.h"

#include <QList>
#include <functional>

namespace runner {

// Runs resolved steps one after the other, writing the status lines the windows write, and checks
// the expectations. A failed expectation is reported and the run goes on. Without an operator the
// questions and the virtual printer's window are left out, and so is every expectation after the
// first question: from there on what the printer does depends on what the operator did.
class PlanExecutor {
public:
    // Puts a question to the operator and returns once answered, or after withinMs.
    using AskOperator = std::function<void(const QString& question, int withinMs)>;

    struct Settings {
        bool operatorPresent = true;
        bool strict = false; // a result no `expect` checks must be OPOS_SUCCESS
    };

    PlanExecutor(opos::PosPrinter& printer, opos::CashDrawer& drawer, StatusOutput& output,
                 AskOperator askOperator, Settings settings);

    QList<ExpectationOutcome> run(const QList<ResolvedStep>& steps);
    const PrinterIdentity& identity() const { return m_identity; }

    // How long the event loop runs after each step, so its events show before the next one.
    static constexpr int SettleMs = 15;

private:
    void runStep(const ResolvedStep& step, QList<ExpectationOutcome>& outcomes);
    void runExpectation(const ResolvedStep& step, QList<ExpectationOutcome>& outcomes);
    void runOperatorStep(const ResolvedStep& step, QList<ExpectationOutcome>& outcomes);
    void checkStrictly(const ResolvedStep& step, QList<ExpectationOutcome>& outcomes);
    void reportFailure(const ExpectationOutcome& outcome);
    ExpectationOutcome skippedCheck(const ResolvedStep& step, ExpectationOutcome::Origin origin) const;
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
    Settings m_settings;
    PrinterIdentity m_identity;
    StepResult m_last;
    double m_lastSeconds = 0;  // how long the last method or set took
    QString m_operatorMissing; // the question left out, once one was
};

} // namespace runner
