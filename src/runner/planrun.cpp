#include "planrun.h"

#include "junitreport.h"
#include "operatorprompt.h"
#include "stepresolver.h"

#include "opos/controlfactory.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>

namespace runner {

Plan loadPlan(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        Plan plan;
        plan.file = file;
        plan.error = QStringLiteral("cannot read the plan: %1").arg(in.errorString());
        return plan;
    }
    return readPlan(file, QString::fromUtf8(in.readAll()));
}

bool showsVirtualPrinter(const Plan& plan) {
    return std::any_of(plan.steps.cbegin(), plan.steps.cend(),
                       [](const PlanStep& step) { return step.kind == PlanStep::Kind::ShowPrinter; });
}

PlanRun::PlanRun(Sink out, Sink errors, PlanExecutor::AskOperator askOperator)
    : m_out(std::move(out)), m_errors(std::move(errors)), m_askOperator(std::move(askOperator)) {}

int PlanRun::run(const Plan& plan, const QString& junitFile) {
    if (!plan.ok()) {
        m_errors(plan.errorText());
        return 2;
    }
    const std::unique_ptr<opos::PosPrinter> printer = opos::ControlFactory::createPosPrinter();
    const std::unique_ptr<opos::CashDrawer> drawer = opos::ControlFactory::createCashDrawer();
    if (!printer || !drawer) {
        m_errors(QStringLiteral("%1: no printer or cash drawer control is installed").arg(plan.file));
        return 2;
    }
    const StepResolver::Resolved resolved = StepResolver(*printer, *drawer).resolve(plan);
    if (!resolved.error.isEmpty()) {
        m_errors(QStringLiteral("%1:%2: %3").arg(plan.file).arg(resolved.errorLine).arg(resolved.error));
        return 2;
    }

    QElapsedTimer clock;
    clock.start();
    StatusOutput output(m_out);
    QList<ExpectationOutcome> outcomes;
    {
        PlanExecutor executor(*printer, *drawer, output, m_askOperator);
        outcomes = executor.run(resolved.steps);
    }
    const auto failed = std::count_if(outcomes.cbegin(), outcomes.cend(),
                                      [](const ExpectationOutcome& outcome) { return !outcome.passed; });
    output.plain(QStringLiteral("%1 expectations, %2 failed").arg(outcomes.size()).arg(failed));

    QString error;
    if (!junitFile.isEmpty() &&
        !JUnitReport::writeFile(junitFile, plan.file, outcomes, double(clock.elapsed()) / 1000.0, &error)) {
        m_errors(error);
        return 2;
    }
    return failed == 0 ? 0 : 1;
}

PlanExecutor::AskOperator terminalOperator(PlanRun::Sink out) {
    return [out = std::move(out)](const QString&, int withinMs) {
        if (!OperatorPrompt().waitForEnter(withinMs))
            out(QStringLiteral(">> going on without an answer"));
    };
}

} // namespace runner
