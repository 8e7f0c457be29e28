#include "planrun.h"

#include "operatorprompt.h"
#include "printerrun.h"
#include "reportfile.h"
#include "stepresolver.h"

#include "opos/controlfactory.h"

#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace runner {

namespace {

// The plan's errors as a suite of one failed test case each.
SuiteReport errorSuite(const Plan& plan) {
    SuiteReport suite;
    suite.name = QFileInfo(plan.file).completeBaseName();
    suite.planFile = plan.file;
    for (const PlanError& error : plan.errors) {
        ExpectationOutcome outcome;
        outcome.line = error.line;
        outcome.source = error.line == 0 ? plan.file : error.source;
        outcome.message = error.reason;
        outcome.origin = ExpectationOutcome::Origin::Plan;
        suite.outcomes << outcome;
        suite.output << plan.errorText(error);
    }
    return suite;
}

QString suiteName(const Plan& plan, const PrinterTarget& target, const PrinterSetting& setting,
                  bool several) {
    const QString name = QFileInfo(plan.file).completeBaseName();
    if (!several)
        return name;
    if (target.devicesFile.isEmpty())
        return QStringLiteral("%1 on %2").arg(name, setting.printer);
    return QStringLiteral("%1 on %2 (%3)")
        .arg(name, setting.printer, QFileInfo(target.devicesFile).fileName());
}

} // namespace

bool showsVirtualPrinter(const Plan& plan) {
    return std::any_of(plan.steps.cbegin(), plan.steps.cend(),
                       [](const PlanStep& step) { return step.kind == PlanStep::Kind::ShowPrinter; });
}

PlanRun::PlanRun(Sink out, Sink errors, PlanExecutor::AskOperator askOperator, PrinterSelector selector)
    : m_out(std::move(out)), m_errors(std::move(errors)), m_askOperator(std::move(askOperator)),
      m_selector(std::move(selector)) {}

int PlanRun::run(const Plan& given, const RunOptions& options) {
    std::unique_ptr<ReportFile> report;
    if (!options.junitFile.isEmpty()) {
        report = std::make_unique<ReportFile>(options.junitFile);
        if (const QString error = report->open(); !error.isEmpty()) {
            m_errors(error);
            return 2;
        }
    }
    const auto finish = [&](const QList<SuiteReport>& suites, int code) {
        if (!report)
            return code;
        const QString error = report->commit([&](QIODevice& out) { JUnitReport::write(out, suites); });
        if (error.isEmpty())
            return code;
        m_errors(error);
        return 2;
    };

    Plan plan = given;
    plan.addErrors(checkAgainstControls(plan));
    if (!plan.ok()) {
        for (const PlanError& error : plan.errors)
            m_errors(plan.errorText(error));
        return finish({errorSuite(plan)}, 2);
    }

    const QList<PrinterTarget> targets =
        options.targets.isEmpty() ? QList<PrinterTarget>{{}} : options.targets;
    QList<SuiteReport> suites;
    RunTally total;
    bool failed = false;
    for (const PrinterTarget& target : targets) {
        const QString printer = target.printer.isEmpty() ? plannedPrinter(plan) : target.printer;
        PrinterSetting setting = m_selector ? m_selector(target.devicesFile, printer) : PrinterSetting{};
        setting.printer = printer;
        const QString drawer = setting.drawer.isEmpty() ? printer + QStringLiteral("-1") : setting.drawer;
        const Plan planned = target.printer.isEmpty() ? plan : retarget(plan, printer, drawer);
        PrinterRun run(m_out, m_askOperator, {options.operatorPresent, options.strict});
        suites << run.run(planned, setting, suiteName(plan, target, setting, targets.size() > 1));
        total += run.tally();
        failed = failed || run.failed();
    }
    if (targets.size() > 1)
        m_out(QStringLiteral("%1 printers: %2").arg(targets.size()).arg(total.summary(options.strict)));
    return finish(suites, failed ? 1 : 0);
}

QList<PlanError> PlanRun::checkAgainstControls(const Plan& plan) const {
    const std::unique_ptr<opos::PosPrinter> printer = opos::ControlFactory::createPosPrinter();
    const std::unique_ptr<opos::CashDrawer> drawer = opos::ControlFactory::createCashDrawer();
    if (!printer || !drawer)
        return {PlanError{0, {}, QStringLiteral("no printer or cash drawer control is installed")}};
    return StepResolver(*printer, *drawer).resolve(plan).errors;
}

PlanExecutor::AskOperator terminalOperator(PlanRun::Sink out, int input) {
    return [out = std::move(out), input](const QString&, int withinMs) {
        if (!OperatorPrompt(input).waitForEnter(withinMs))
            out(QStringLiteral(">> going on without an answer"));
    };
}

} // namespace runner
