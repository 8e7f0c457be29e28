#include "planexecutor.h"

#include "opos/cashdrawer.h"
#include "opos/posprinter.h"
#include "opos/statuslines.h"

#include <QElapsedTimer>

namespace runner {

PlanExecutor::PlanExecutor(opos::PosPrinter& printer, opos::CashDrawer& drawer, StatusOutput& output,
                           AskOperator askOperator)
    : m_printer(printer), m_drawer(drawer), m_output(output), m_events(printer, drawer, output),
      m_askOperator(std::move(askOperator)) {}

QList<ExpectationOutcome> PlanExecutor::run(const QList<ResolvedStep>& steps) {
    QList<ExpectationOutcome> outcomes;
    for (const ResolvedStep& step : steps) {
        runStep(step, outcomes);
        EventRecorder::settle(SettleMs);
    }
    return outcomes;
}

void PlanExecutor::runStep(const ResolvedStep& step, QList<ExpectationOutcome>& outcomes) {
    using Action = ResolvedStep::Action;
    switch (step.action) {
    case Action::Method:
        runMethod(step);
        return;
    case Action::PropertySet:
        runSet(step);
        return;
    case Action::PropertyRead:
        readProperty(step);
        return;
    case Action::ExpectResult:
    case Action::ExpectProperty:
    case Action::WaitEvent: {
        QElapsedTimer clock;
        clock.start();
        ExpectationOutcome outcome = check(step);
        outcome.seconds = double(clock.elapsed()) / 1000.0;
        if (!outcome.passed)
            m_output.add(QStringLiteral(":  FAILED line %1: %2").arg(step.step.line).arg(outcome.message));
        outcomes << outcome;
        return;
    }
    case Action::Ask:
        m_output.plain(QStringLiteral(">> %1  [Enter goes on]").arg(step.step.arguments.first()));
        m_askOperator(step.step.arguments.first(), step.step.withinMs);
        return;
    case Action::Nothing:
        return;
    }
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
