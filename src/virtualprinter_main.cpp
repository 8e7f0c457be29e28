// posling-virtual-printer: the virtual receipt printer on a raw TCP port, as a network printer: one
// client at a time, with the same window as the embedded printer where there is a display.
#include "opos/version.h"
#include "virtual/panel/installpanel.h"
#include "virtual/panel/virtualpanel.h"
#include "virtual/render/goldenfolder.h"
#include "virtual/render/rendercommand.h"
#include "virtual/tcpprinterserver.h"
#include "virtual/virtualprinter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTextStream>

#include <memory>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

constexpr uint kMaxIdleSeconds = 24 * 60 * 60;

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

bool hasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    return !platform.isEmpty() && platform != "offscreen" && platform != "minimal";
}

bool argumentGiven(int argc, char* argv[], const char* name) {
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], name) == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    // render: jobs printed offline, never a window, whatever the display.
    if (argc > 1 && qstrcmp(argv[1], "render") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        QGuiApplication::setApplicationName(QStringLiteral("posling-virtual-printer"));
        QTextStream out(stdout), err(stderr);
        return virt::runRenderCommand(QGuiApplication::arguments().mid(2), out, err);
    }
    // The window where there is a display, unless --headless; without one the printer draws with
    // fonts offscreen. Decided before the application exists, which picks the platform.
    const bool panelAsked = argumentGiven(argc, argv, "--panel");
    const bool headless = argumentGiven(argc, argv, "--headless") || (!panelAsked && !hasDisplay());
    if (panelAsked && !hasDisplay()) {
        QTextStream(stderr) << "--panel needs a display (DISPLAY is empty); leave it out to run headless\n";
        return 2;
    }
    if (headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("posling-virtual-printer"));
    QApplication::setApplicationVersion(QString::fromLatin1(opos::ProgramVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A virtual ESC/POS receipt printer on a TCP port."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("TCP port (default 9100)."),
                                        QStringLiteral("port"), QStringLiteral("9100"));
    const QCommandLineOption bindOption(
        QStringLiteral("bind"), QStringLiteral("Address to listen on (default 127.0.0.1; 0.0.0.0 for all)."),
        QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption profileOption(QStringLiteral("profile"),
                                           QStringLiteral("80mm (default) or 58mm."),
                                           QStringLiteral("profile"), QStringLiteral("80mm"));
    const QCommandLineOption captureOption(QStringLiteral("capture"),
                                           QStringLiteral("Folder for receipt-NNNN.png and wire.bin."),
                                           QStringLiteral("folder"));
    const QCommandLineOption nameOption(QStringLiteral("name"),
                                        QStringLiteral("Printer name (default Z901)."),
                                        QStringLiteral("name"), QStringLiteral("Z901"));
    const QCommandLineOption realSpeedOption(
        QStringLiteral("real-speed"),
        QStringLiteral(
            "Print at a real printer's speed (250 mm/s), so faults can be made in the middle of a job."));
    const QCommandLineOption panelOption(
        QStringLiteral("panel"),
        QStringLiteral("Show the printer's window: paper, operator controls, wire monitor (the default with "
                       "a display)."));
    const QCommandLineOption headlessOption(QStringLiteral("headless"),
                                            QStringLiteral("No window (the default without a display)."));
    const QCommandLineOption answersOption(
        QStringLiteral("answers"),
        QStringLiteral("What the printer answers, as printers in the field do: all (default), gsr (older "
                       "firmware, no process IDs), realtime (DLE EOT only) or none (a print server)."),
        QStringLiteral("kind"), virt::ReplyPersonality::full().id);
    const QCommandLineOption idleOption(
        QStringLiteral("idle-timeout"),
        QStringLiteral("Close a client that sends nothing for this many seconds (default %1; 0 never).")
            .arg(virt::TcpPrinterServer::kDefaultIdleTimeoutMs / 1000),
        QStringLiteral("seconds"), QString::number(virt::TcpPrinterServer::kDefaultIdleTimeoutMs / 1000));
    const QCommandLineOption expectOption(
        QStringLiteral("expect"),
        QStringLiteral("With --capture: compare each receipt with the golden of its name in this folder, "
                       "write NAME.diff.png on a difference and exit 1 at the end."),
        QStringLiteral("folder"));
    const QCommandLineOption updateOption(
        QStringLiteral("update"), QStringLiteral("With --expect: write the receipts as the goldens."));
    parser.addOptions({portOption, bindOption, profileOption, captureOption, nameOption, realSpeedOption,
                       panelOption, headlessOption, answersOption, idleOption, expectOption, updateOption});
    parser.addPositionalArgument(
        QStringLiteral("render"),
        QStringLiteral("render JOB... --out DIR: print jobs offline (see render --help)."),
        QStringLiteral("[render ...]"));
    QTextStream err(stderr);
    // A usage error exits 2, as the manual says; process() would exit 1.
    if (!parser.parse(QApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
        err << "posling-virtual-printer: "
            << (parser.errorText().isEmpty() ? QStringLiteral("no arguments besides options: %1")
                                                   .arg(parser.positionalArguments().join(u' '))
                                             : parser.errorText())
            << "\nSee posling-virtual-printer --help.\n";
        return 2;
    }
    if (parser.isSet(helpOption))
        parser.showHelp(0);
    if (parser.isSet(versionOption))
        parser.showVersion();

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535) {
        err << "invalid --port " << parser.value(portOption) << "\n";
        return 2;
    }
    const QHostAddress address(parser.value(bindOption));
    if (address.isNull()) {
        err << "invalid --bind " << parser.value(bindOption) << "\n";
        return 2;
    }
    const auto profile = virt::VirtualProfile::byId(parser.value(profileOption));
    if (!profile) {
        err << "unknown --profile " << parser.value(profileOption) << " (80mm or 58mm)\n";
        return 2;
    }

    const virt::ReplyPersonality* personality = virt::ReplyPersonality::byId(parser.value(answersOption));
    if (!personality) {
        err << "unknown --answers " << parser.value(answersOption) << " ("
            << virt::ReplyPersonality::knownIds().join(QStringLiteral(", ")) << ")\n";
        return 2;
    }
    const uint idleSeconds = parser.value(idleOption).toUInt(&ok);
    if (!ok || idleSeconds > kMaxIdleSeconds) {
        err << "invalid --idle-timeout " << parser.value(idleOption) << " (0 to " << kMaxIdleSeconds
            << " seconds)\n";
        return 2;
    }

    virt::VirtualPrinter printer(parser.value(nameOption), *profile);
    printer.setPersonality(*personality);
    QString capture = parser.value(captureOption);
    if (capture.isEmpty())
        capture = qEnvironmentVariable("POSLING_CAPTURE_DIR");
    printer.setCaptureFolder(capture);
    if (parser.isSet(updateOption) && !parser.isSet(expectOption)) {
        err << "posling-virtual-printer: --update writes the goldens into the --expect folder; name one\n";
        return 2;
    }
    std::unique_ptr<virt::GoldenFolder> goldens;
    QStringList compared;
    if (parser.isSet(expectOption)) {
        if (capture.isEmpty()) {
            err << "posling-virtual-printer: --expect compares the receipts captured: name --capture too\n";
            return 2;
        }
        goldens = std::make_unique<virt::GoldenFolder>(parser.value(expectOption), capture,
                                                       parser.isSet(updateOption));
        QObject::connect(&printer, &virt::VirtualPrinter::receiptSaved, &printer,
                         [&goldens, &compared](const QString& path, const virt::Receipt& receipt) {
                             compared << QFileInfo(path).fileName();
                             QTextStream(stdout)
                                 << goldens->check(compared.last(), receipt.image, receipt.bands) << Qt::endl;
                         });
    }
    if (parser.isSet(realSpeedOption))
        printer.setDotLinesPerSecond(virt::VirtualPrinter::kRealisticDotLinesPerSecond);

    virt::TcpPrinterServer server(&printer);
    server.setIdleTimeout(int(idleSeconds) * 1000);
    QString error;
    if (!server.listen(address, quint16(port), &error)) {
        err << "cannot listen on " << address.toString() << ":" << port << ": " << error << "\n";
        return 1;
    }
    QTextStream(stdout) << "listening on " << address.toString() << ":" << server.port() << Qt::endl;

    std::unique_ptr<virt::VirtualPanel> panel;
    if (!headless) {
        panel = std::make_unique<virt::VirtualPanel>(&printer);
        panel->setWindowTitle(QStringLiteral("%1 on port %2").arg(printer.name()).arg(server.port()));
        placeVirtualPanel(panel.get());
        panel->show();
        // Closing the window ends the printer, as switching it off would.
        QApplication::setQuitOnLastWindowClosed(true);
    }

    // SIGINT/SIGTERM end the event loop, so the uncut paper is saved.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }
    const int code = app.exec();
    printer.finish();
    if (goldens) // goldens no receipt of this run matched
        for (const QString& line : goldens->unprinted(QStringLiteral("receipt"), compared))
            QTextStream(stdout) << line << Qt::endl;
    return code != 0 ? code : goldens && goldens->differences() > 0 ? 1 : 0;
}
