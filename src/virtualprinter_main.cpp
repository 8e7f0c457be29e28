// posling-virtual-printer: the virtual receipt printer on a raw TCP port, for end-to-end tests of the
// network transport.
#include "virtual/tcpprinterserver.h"
#include "virtual/virtualprinter.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char* argv[]) {
    // Headless by default: the printer draws with fonts but needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("posling-virtual-printer"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A virtual ESC/POS receipt printer on a TCP port."));
    parser.addHelpOption();
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
    parser.addOptions({portOption, bindOption, profileOption, captureOption, nameOption, realSpeedOption});
    parser.process(app);

    QTextStream err(stderr);
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

    virt::VirtualPrinter printer(parser.value(nameOption), *profile);
    QString capture = parser.value(captureOption);
    if (capture.isEmpty())
        capture = qEnvironmentVariable("POSLING_CAPTURE_DIR");
    printer.setCaptureFolder(capture);
    if (parser.isSet(realSpeedOption))
        printer.setDotLinesPerSecond(virt::VirtualPrinter::kRealisticDotLinesPerSecond);

    virt::TcpPrinterServer server(&printer);
    QString error;
    if (!server.listen(address, quint16(port), &error)) {
        err << "cannot listen on " << address.toString() << ":" << port << ": " << error << "\n";
        return 1;
    }
    QTextStream(stdout) << "listening on " << address.toString() << ":" << server.port() << Qt::endl;

    // SIGINT/SIGTERM end the event loop, so the uncut paper is saved.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }
    const int code = app.exec();
    printer.finish();
    return code;
}
