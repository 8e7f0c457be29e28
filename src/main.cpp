#include "app/commandline.h"
#include "app/form.h"
#include "app/frm_sample.h"
#include "device/installcontrols.h"
#include "virtual/installvirtual.h"
#include "virtual/panel/installpanel.h"

#include <QApplication>

#include <cstdio>

namespace {

QStringList rawArguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
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
    return app.exec();
}
