#include "app/commandline.h"
#include "app/form.h"
#include "app/frm_sample.h"
#include "device/check/devicecheck.h"
#include "device/installcontrols.h"
#include "virtual/installvirtual.h"
#include "virtual/panel/installpanel.h"

#include <QApplication>
#include <QLoggingCategory>

#include <cstdio>

namespace {

QStringList rawArguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
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
    installDeviceControls();
    // The report says what the traces would; QT_LOGGING_RULES still turns them on.
    QLoggingCategory::setFilterRules(QStringLiteral("posling.device.debug=false\nposling.device.info=false"));
    device::DeviceCheck check(device::DeviceRegistry::load());
    const bool allOk = check.run([](const QString& line) {
        std::printf("%s\n", line.toLocal8Bit().constData());
        std::fflush(stdout);
    });
    return allOk ? 0 : 1;
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

    if (CommandLine::asksForDeviceCheck(rawArguments(argc, argv)))
        return checkDevices(argc, argv);

    if (const QString missing = CommandLine::missingDisplayMessage(rawArguments(argc, argv),
                                                                   QProcessEnvironment::systemEnvironment());
        !missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(missing));
        return 2;
    }

    QApplication app(argc, argv);
    CommandLine commandLine;
    commandLine.parser().process(app);
    commandLine.apply();

    // Controls are made when their windows load; the device file is known by now.
    installVirtualPrinter();
    installVirtualPanel();
    installDeviceControls();

    // The run ends with the main window, even if a window of some other part is still open.
    frm_Sample& mainWindow = FormInstance<frm_Sample>::get();
    QObject::connect(&mainWindow, &QObject::destroyed, &app, &QCoreApplication::quit);
    mainWindow.show();
    if (commandLine.quitsAfterStart())
        QMetaObject::invokeMethod(
            &app,
            [&] {
                mainWindow.repaint(); // drawn once, then gone
                app.quit();
            },
            Qt::QueuedConnection);
    return app.exec();
}
