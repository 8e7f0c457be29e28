#include "app/commandline.h"
#include "app/mainwindowrun.h"
#include "app/messagebox.h"
#include "app/windowplaces.h"
#include "device/check/devicecheck.h"
#include "device/installcontrols.h"
#include "device/registry/deviceregistry.h"
#include "opos/controlfactory.h"
#include "runner/planrun.h"
#include "virtual/installvirtual.h"
#include "virtual/panel/installpanel.h"

#include <QApplication>
#include <QFile>
#include <QLoggingCategory>

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

QStringList rawArguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// A line as the terminal should get it: whole (a NUL in it does not end it), and with no control
// character that could move the cursor or retitle the window.
QByteArray terminalLine(const QString& line) {
    QString shown;
    for (const QChar c : line)
        shown += c.unicode() < 0x20 && c != u'\t'
                     ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                 : c.unicode() == 0x7F ? QStringLiteral("\\x7f")
                                       : QString(c);
    return shown.toLocal8Bit() + '\n';
}

void printLine(const QString& line) {
    const QByteArray bytes = terminalLine(line);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void printError(const QString& line) {
    const QByteArray bytes = terminalLine(line);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

// posling --check-devices: the report goes to stdout a line at a time, so a slow check shows its
// progress; 0 when every registry entry is ok, 1 otherwise, 2 for a usage error.
int checkDevices(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    CommandLine commandLine;
    if (const QString error = commandLine.parseForDeviceCheck(app.arguments()); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    commandLine.apply();
    installVirtualPrinter(); // its entries are read as Open reads them
    installDeviceControls();
    // The report says what the traces would; QT_LOGGING_RULES still turns them on.
    QLoggingCategory::setFilterRules(QStringLiteral("posling.device.debug=false\nposling.device.info=false"));
    device::DeviceCheck check(device::DeviceRegistry::load());
    const bool allOk = check.run(printLine);
    return allOk ? 0 : 1;
}

// The printers a plan run goes over: one per --devices file, or per section its brackets name.
QList<runner::PrinterTarget> planTargets(const CommandLine& commandLine) {
    QList<runner::PrinterTarget> targets;
    for (const CommandLine::DevicesChoice& choice : commandLine.devicesChoices()) {
        if (choice.printers.isEmpty())
            targets.append({choice.file, {}});
        for (const QString& printer : choice.printers)
            targets.append({choice.file, printer});
    }
    return targets;
}

// Points the device registry, which the controls read when they open, at a target's devices file
// (back at the user's own choice when the target names none) and says what it holds for `printer`.
runner::PrinterSetting selectPrinter(const QByteArray& userDevices, const QString& devicesFile,
                                     const QString& printer) {
    if (!devicesFile.isEmpty())
        qputenv("POSLING_DEVICES", QFile::encodeName(devicesFile));
    else if (userDevices.isEmpty())
        qunsetenv("POSLING_DEVICES");
    else
        qputenv("POSLING_DEVICES", userDevices);
    const device::DeviceRegistry registry = device::DeviceRegistry::load();
    runner::PrinterSetting setting;
    setting.devices = registry.problem().isEmpty()
                          ? registry.source()
                          : registry.source() + QStringLiteral(" (") + registry.problem() + u')';
    setting.printer = printer;
    if (const std::optional<device::DeviceEntry> entry = registry.find(printer)) {
        setting.connection = entry->value(QStringLiteral("connection"));
        setting.drawer = registry.linkOptions(*entry).value(QStringLiteral("drawer"));
    }
    return setting;
}

// Where the operator presses Enter: standard input, or the terminal when the plan comes from there.
int operatorInput(const QString& planFile) {
    return planFile == u"-" ? ::open("/dev/tty", O_RDONLY | O_CLOEXEC) : STDIN_FILENO;
}

// posling --run PLAN: the status lines go to stdout; no window and no display unless the plan
// shows the virtual printer to an operator.
int runPlan(int argc, char* argv[]) {
    CommandLine commandLine;
    if (const QString error = commandLine.parseForPlanRun(rawArguments(argc, argv)); !error.isEmpty()) {
        printError(error);
        return 2;
    }
    const QByteArray userDevices = qgetenv("POSLING_DEVICES");
    commandLine.apply();
    const runner::Plan plan = runner::loadPlan(commandLine.planFile());
    const int input = operatorInput(commandLine.planFile());
    runner::RunOptions options;
    options.junitFile = commandLine.junitFile();
    options.strict = commandLine.strict();
    options.operatorPresent = commandLine.operatorInsisted() || (input >= 0 && ::isatty(input));
    options.targets = planTargets(commandLine);
    std::unique_ptr<QCoreApplication> app;
    if (plan.ok() && runner::showsVirtualPrinter(plan) && options.operatorPresent) {
        if (const QString missing = CommandLine::missingDisplayMessage(
                rawArguments(argc, argv), QProcessEnvironment::systemEnvironment());
            !missing.isEmpty()) {
            printError(
                QStringLiteral("%1: show virtual-printer needs a display. %2").arg(plan.file, missing));
            return 2;
        }
        app = std::make_unique<QApplication>(argc, argv);
        installVirtualPanel();
    } else {
        // The virtual printer draws its paper with fonts, which take a QGuiApplication; the
        // offscreen platform gives one without a display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    installVirtualPrinter();
    installDeviceControls();
    // Nobody watches a dialog here: an interactive health check reports in the output.
    opos::HostServices services;
    services.showInteractiveCheck = [](const QString& title, const QString& report) {
        printLine(title + QStringLiteral(": ") + report.simplified());
    };
    opos::ControlFactory::setHostServices(services);
    QLoggingCategory::setFilterRules(QStringLiteral("posling.device.debug=false\nposling.device.info=false"));
    const auto selector = [userDevices](const QString& devicesFile, const QString& printer) {
        return selectPrinter(userDevices, devicesFile, printer);
    };
    const int status =
        runner::PlanRun(printLine, printError, runner::terminalOperator(printLine, input), selector)
            .run(plan, options);
    if (input > STDIN_FILENO)
        ::close(input);
    // The virtual printer's window goes while its application is still there.
    if (qobject_cast<QApplication*>(app.get()))
        for (QWidget* window : QApplication::topLevelWidgets())
            if (!window->parent())
                delete window;
    return status;
}

} // namespace

int main(int argc, char* argv[]) {
    setApplicationIdentity();

    // Help and version are answered without a display, so they work on a plain terminal too.
    if (CommandLine::asksForInformationOnly(rawArguments(argc, argv))) {
        QCoreApplication app(argc, argv);
        CommandLine commandLine;
        commandLine.parser().process(app);
        return 0;
    }

    if (CommandLine::asksForPlanRun(rawArguments(argc, argv)))
        return runPlan(argc, argv);

    if (CommandLine::asksForDeviceCheck(rawArguments(argc, argv)))
        return checkDevices(argc, argv);

    if (const QString error = CommandLine().parseForWindows(rawArguments(argc, argv)); !error.isEmpty()) {
        printError(error);
        return 2;
    }
    if (const QString missing = CommandLine::missingDisplayMessage(rawArguments(argc, argv),
                                                                   QProcessEnvironment::systemEnvironment());
        !missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(missing));
        return 2;
    }

    // The devices' traces are for whoever asks for them (QT_LOGGING_RULES), not for every start.
    QLoggingCategory::setFilterRules(QStringLiteral("posling.*.debug=false\nposling.*.info=false"));
    QApplication app(argc, argv);
    CommandLine commandLine;
    commandLine.parser().process(app);
    commandLine.apply();

    // Controls are made when their windows load; the device file is known by now.
    installVirtualPrinter();
    installVirtualPanel();
    // The printer's window keeps clear of where the program's windows are and will be.
    setProgramWindows({programWindowFrames, statusListArea});
    installDeviceControls();
    opos::HostServices services;
    services.showInteractiveCheck = [](const QString& title, const QString& report) {
        MessageBox::information(QApplication::activeWindow(), title, report);
    };
    services.askOperator = [](const QString& title, const QString& question) {
        return MessageBox::question(QApplication::activeWindow(), title, question) == QMessageBox::Yes;
    };
    services.ringBell = [](int, int) { QApplication::beep(); };
    opos::ControlFactory::setHostServices(services);

    return runMainWindow(app, commandLine.quitsAfterStart());
}
