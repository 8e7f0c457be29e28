#include "planexecutor.h"

#include "opos/cashdrawer.h"
#include "opos/oposconstants.h"
#include "opos/posprinter.h"
#include "opos/statuslines.h"

#include <QElapsedTimer>

namespace runner {

namespace {

double secondsOf(const QElapsedTimer& clock) {
    return double(clock.nsecsElapsed()) / 1e9;
}

ExpectationOutcome outcomeOf(const ResolvedStep& step, ExpectationOutcome::Origin origin) {
    ExpectationOutcome outcome;
    outcome.line = step.step.line;
    outcome.source = step.step.source;
    outcome.origin = origin;
    return outcome;
}

} // namespace

PlanExecutor::PlanExecutor(opos::PosPrinter& printer, opos::CashDrawer& drawer, StatusOutput& output,
                           AskOperator askOperator, Settings settings)
    : m_printer(printer), m_drawer(drawer), m_output(output), m_events(printer, drawer, output),
      m_askOperator(std::move(askOperator)), m_settings(settings) {}

QList<ExpectationOutcome> PlanExecutor::run(const QList<ResolvedStep>& steps) {
    QList<ExpectationOutcome> outcomes;
    for (const ResolvedStep& step : steps) {
        runStep(step, outcomes);
        EventRecorder::settle(SettleMs);
        m_identity.update(m_printer, m_drawer);
    }
    return outcomes;
}

void PlanExecutor::runStep(const ResolvedStep& step, QList<ExpectationOutcome>& outcomes) {
    using Action = ResolvedStep::Action;
    QElapsedTimer clock;
    clock.start();
    switch (step.action) {
    case Action::Method:
    case Action::PropertySet:
        if (step.action == Action::Method)
            runMethod(step);
        else
            runSet(step);
        m_lastSeconds = secondsOf(clock);
        checkStrictly(step, outcomes);
        return;
    case Action::PropertyRead:
        readProperty(step);
        return;
    case Action::ExpectResult:
    case Action::ExpectProperty:
    case Action::WaitEvent:
        runExpectation(step, outcomes);
        return;
    case Action::Ask:
    case Action::Nothing:
        runOperatorStep(step, outcomes);
        return;
    }
}

void PlanExecutor::runExpectation(const ResolvedStep& step, QList<ExpectationOutcome>& outcomes) {
    if (!m_operatorMissing.isEmpty()) {
        outcomes << skippedCheck(step, ExpectationOutcome::Origin::Expectation);
        return;
    }
    QElapsedTimer clock;
    clock.start();
    ExpectationOutcome outcome = check(step);
    outcome.seconds = secondsOf(clock);
    if (step.action == ResolvedStep::Action::ExpectResult)
        outcome.seconds += m_lastSeconds; // the test case stands for the step it checks
    if (!outcome.passed)
        reportFailure(outcome);
    outcomes << outcome;
}

void PlanExecutor::runOperatorStep(const ResolvedStep& step, QList<ExpectationOutcome>& outcomes) {
    const bool asks = step.action == ResolvedStep::Action::Ask;
    if (!asks && step.step.kind != PlanStep::Kind::ShowPrinter)
        return;
    const QString text = asks ? step.step.arguments.first() : step.step.source;
    const QString skippedWhy = asks ? text : QStringLiteral("nobody watches the virtual printer's window");
    if (m_settings.operatorPresent) {
        if (!asks)
            return; // the window was set up before the run started
        m_output.plain(QStringLiteral(">> %1  [Enter goes on]").arg(text));
        m_askOperator(text, step.step.withinMs);
        return;
    }
    m_output.plain(QStringLiteral(">> %1  [skipped: no operator]").arg(text));
    ExpectationOutcome skipped = outcomeOf(step, ExpectationOutcome::Origin::OperatorStep);
    skipped.skipped = true;
    skipped.message = skippedWhy;
    outcomes << skipped;
    if (asks && m_operatorMissing.isEmpty())
        m_operatorMissing = QStringLiteral("line %1: %2").arg(step.step.line).arg(step.step.source);
}

void PlanExecutor::checkStrictly(const ResolvedStep& step, QList<ExpectationOutcome>& outcomes) {
    if (!m_settings.strict || step.resultExpected)
        return;
    if (!m_operatorMissing.isEmpty()) {
        outcomes << skippedCheck(step, ExpectationOutcome::Origin::StrictResult);
        return;
    }
    ExpectationOutcome outcome = outcomeOf(step, ExpectationOutcome::Origin::StrictResult);
    outcome.seconds = m_lastSeconds;
    outcome.passed = m_last.code == opos::OPOS_SUCCESS;
    if (!outcome.passed) {
        outcome.message =
            QStringLiteral("expected OPOS_SUCCESS, got %1 (--strict: no expect checks this step)")
                .arg(m_last.text);
        reportFailure(outcome);
    }
    outcomes << outcome;
}

void PlanExecutor::reportFailure(const ExpectationOutcome& outcome) {
    m_output.add(QStringLiteral(":  FAILED line %1: %2").arg(outcome.line).arg(outcome.message));
}

ExpectationOutcome PlanExecutor::skippedCheck(const ResolvedStep& step,
                                              ExpectationOutcome::Origin origin) const {
    ExpectationOutcome skipped = outcomeOf(step, origin);
    skipped.skipped = true;
    skipped.message = QStringLiteral("depends on the operator, who was not there: %1").arg(m_operatorMissing);
    return skipped;
}

void PlanExecutor::runMethod(const ResolvedStep& step) {
    const DeviceCall::Outcome outcome = step.call.invoke();
    const qint32 code =
        outcome.returned.type == ValueType::Int ? outcome.returned.number : resultCodeOf(step);
    QString pieces = opos::resultLabel(deviceLabel(step), step.name);
    m_last = {code, m_printer.ResultCodeExtended(), {}};
    m_last.text = opos::resultDescription(code, m_last.extended);
    pieces += m_last.text;
    for (const DeviceCall::WrittenBack& back : outcome.writtenBack)
        pieces += QStringLiteral(";  %1 = %2").arg(back.parameter, back.value.shown());
    noteResult(step, code, pieces);
}

void PlanExecutor::runSet(const ResolvedStep& step) {
    step.call.invoke();
    const qint32 code = resultCodeOf(step);
    m_last = {code, m_printer.ResultCodeExtended(), {}};
    m_last.text = opos::resultDescription(code, m_last.extended);
    noteResult(step, code, opos::propertySetLine(step.name, step.value.shown(), m_last.text));
}

void PlanExecutor::readProperty(const ResolvedStep& step) {
    const TypedValue value = step.call.invoke().returned;
    m_output.add(QStringLiteral(":  %1.%2 = %3").arg(deviceLabel(step), step.name, value.shown()));
}

ExpectationOutcome PlanExecutor::check(const ResolvedStep& step) {
    ExpectationOutcome outcome;
    outcome.line = step.step.line;
    outcome.source = step.step.source;
    switch (step.action) {
    case ResolvedStep::Action::ExpectResult:
        outcome.passed = step.result->matches(m_last);
        outcome.message = QStringLiteral("expected %1, got %2").arg(step.result->written(), m_last.text);
        break;
    case ResolvedStep::Action::ExpectProperty: {
        const TypedValue value = step.call.invoke().returned;
        outcome.passed = value == step.value;
        outcome.message = QStringLiteral("expected %1.%2 = %3, got %4")
                              .arg(deviceLabel(step), step.name, step.value.shown(), value.shown());
        break;
    }
    case ResolvedStep::Action::WaitEvent:
        outcome.passed = m_events.waitFor(step.pattern, step.step.withinMs);
        outcome.message = QStringLiteral("expected an event like \"%1\" within %2 ms, got none")
                              .arg(step.step.name)
                              .arg(step.step.withinMs);
        break;
    default:
        break;
    }
    if (outcome.passed)
        outcome.message.clear();
    return outcome;
}

void PlanExecutor::noteResult(const ResolvedStep& step, qint32 code, const QString& pieces) {
    m_output.addResult(pieces, code, step.onDrawer ? m_drawer.ResultReason() : m_printer.ResultReason());
}

qint32 PlanExecutor::resultCodeOf(const ResolvedStep& step) const {
    return step.onDrawer ? m_drawer.ResultCode() : m_printer.ResultCode();
}

QString PlanExecutor::deviceLabel(const ResolvedStep& step) const {
    return step.onDrawer ? QStringLiteral("CashDrawer1") : QStringLiteral("Printer");
}

} // namespace runner
