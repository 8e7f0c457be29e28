#include "printerrun.h"

#include "stepresolver.h"

#include "opos/controlfactory.h"
#include "opos/version.h"

#include <QElapsedTimer>
#include <QSysInfo>

namespace runner {

namespace {

ReportProperties settingProperties(const PrinterSetting& setting) {
    return {{QStringLiteral("posling.version"), QString::fromLatin1(opos::ProgramVersion)},
            {QStringLiteral("devices"), setting.devices},
            {QStringLiteral("printer"), setting.printer},
            {QStringLiteral("connection"), setting.connection},
            {QStringLiteral("drawer"), setting.drawer}};
}

// The first lines of a run: which devices file, which printer on which connection.
void nameTheSetting(StatusOutput& output, const PrinterSetting& setting) {
    if (setting.devices.isEmpty())
        return; // nobody said which devices the controls use
    output.plain(QStringLiteral("Devices: %1").arg(setting.devices));
    if (setting.connection.isEmpty())
        output.plain(
            QStringLiteral("Printer: %1, which the devices file does not name").arg(setting.printer));
    else
        output.plain(QStringLiteral("Printer: %1 at %2").arg(setting.printer, setting.connection));
}

} // namespace

SuiteReport PrinterRun::run(const Plan& plan, const PrinterSetting& setting, const QString& suiteName) {
    QElapsedTimer clock;
    clock.start();
    SuiteReport suite;
    suite.name = suiteName;
    suite.planFile = plan.file;
    suite.started = QDateTime::currentDateTime();
    suite.host = QSysInfo::machineHostName();
    suite.properties = settingProperties(setting);
    StatusOutput output([&](const QString& line) {
        suite.output << line;
        m_out(line);
    });
    nameTheSetting(output, setting);

    const std::unique_ptr<opos::PosPrinter> printer = opos::ControlFactory::createPosPrinter();
    const std::unique_ptr<opos::CashDrawer> drawer = opos::ControlFactory::createCashDrawer();
    if (printer && drawer) {
        const StepResolver::Resolved resolved = StepResolver(*printer, *drawer).resolve(plan);
        PlanExecutor executor(*printer, *drawer, output, m_askOperator, m_settings);
        suite.outcomes = executor.run(resolved.steps);
        suite.properties += executor.identity().properties();
    }
    m_tally = RunTally::of(suite.outcomes);
    if (m_settings.strict && m_tally.checkedNothing()) {
        ExpectationOutcome nothing;
        nothing.source = plan.file;
        nothing.origin = ExpectationOutcome::Origin::Plan;
        nothing.message = QStringLiteral("nothing the plan expects was checked, which --strict fails");
        suite.outcomes << nothing;
    }
    m_failed = m_tally.failed > 0 || (m_settings.strict && m_tally.checkedNothing());
    output.plain(m_tally.summary(m_settings.strict));
    suite.seconds = double(clock.nsecsElapsed()) / 1e9;
    return suite;
}

} // namespace runner
