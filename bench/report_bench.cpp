// The property report end to end, as the technician sees it: from the press of "Print OPOS
// Properties" to the status list's paint that shows the report's last line, with the paper printed, on the
// in-process virtual printer and over tcp:// to posling-virtual-printer on loopback. Beside it, how long a
// real printer at 250 mm/s needs for the same paper. Medians of several presses after one warm-up press.
//
// Usage: report_bench [--runs N]   (exits 1 when a target is missed)

#include "app/form.h"
#include "app/frm_sample.h"
#include "app/statuslist.h"
#include "benchsupport.h"
#include "common/printerlaunch.h"
#include "device/installcontrols.h"
#include "printer/frmprinter.h"
#include "virtual/installvirtual.h"
#include "virtual/virtualprinter.h"
#include "virtual/virtualprinterhub.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kReportLines = 138;
constexpr double kRealDotLinesPerSecond = 2000.0;

void click(QWidget& window, const char* name) {
    window.findChild<QAbstractButton*>(QLatin1String(name))->click();
}

void useConnection(const QString& folder, const QString& connection) {
    const QString path = folder + QStringLiteral("/devices.ini");
    QFile ini(path);
    if (ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        ini.write(QStringLiteral("[Z901]\nclass=POSPrinter\nconnection=%1\nprofile=80mm\n")
                      .arg(connection)
                      .toUtf8());
    qputenv("POSLING_DEVICES", QFile::encodeName(path));
}

// Dots of paper the printer has moved since it started (the kept history is long enough here).
int printedDots(virt::VirtualPrinter* printer) {
    int dots = printer->paper()->position();
    for (const virt::Receipt& receipt : printer->paper()->receipts())
        dots += receipt.image.height();
    return dots;
}

struct Figures {
    double medianMs = 0;
    double minMs = 0;
    double maxMs = 0;
    int lines = 0;
};

// Presses the button `runs` times after a warm-up; `paperDone` says when the printer has printed
// everything it was sent.
Figures pressReport(int runs, const std::function<bool()>& paperDone) {
    frmPrinter& window = FormInstance<frmPrinter>::get();
    StatusList* list = FormInstance<frm_Sample>::get().lstStatusResults;
    const PaintWatch shown(list->viewport(), [list] { return list->ListCount(); });
    std::vector<double> times;
    Figures figures;
    for (int run = 0; run <= runs; ++run) {
        const int before = list->ListCount();
        QElapsedTimer took;
        took.start();
        click(window, "cmdPrintProperties");
        const QDeadlineTimer deadline(30000);
        while ((shown.shownAtLastPaint() - before < kReportLines || !paperDone()) && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const double ms = took.nsecsElapsed() / 1e6;
        figures.lines = list->ListCount() - before;
        if (run > 0)
            times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    figures.medianMs = times[times.size() / 2];
    figures.minMs = times.front();
    figures.maxMs = times.back();
    return figures;
}

// Open, Claim and enable through the window, press the report, close.
Figures measure(const QString& folder, const QString& connection, int runs,
                const std::function<bool()>& paperDone) {
    useConnection(folder, connection);
    frmPrinter& window = FormInstance<frmPrinter>::get();
    click(window, "cmdOpenPrinter");
    click(window, "cmdClaimPrinter");
    click(window, "cmdEnablePrinter");
    const Figures figures = pressReport(runs, paperDone);
    click(window, "cmdClosePrinter");
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    useOffscreenWindows();
    QApplication app(argc, argv);
    const int runs = qMax(1, intOption(argc, argv, "--runs", 21));
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
    installVirtualPrinter();
    installDeviceControls();
    FormInstance<frm_Sample>::get().show();
    FormInstance<frmPrinter>::get().Display();

    virt::VirtualPrinter* local = virt::VirtualPrinterHub::instance()->printer(QStringLiteral("Z901"));
    const int dotsBefore = printedDots(local);
    const Figures inProcess = measure(folder.path(), QStringLiteral("virtual:Z901"), runs,
                                      [local] { return !local->isPrinting(); });
    // The paper one report takes, from the in-process printer's roll.
    const int reportDots = (printedDots(local) - dotsBefore) / (runs + 1);
    const double realMs = (reportDots > 0 ? reportDots : 0) / kRealDotLinesPerSecond * 1000.0;

    QProcess printer;
    const QString capture = folder.filePath(QStringLiteral("tcp"));
    const quint16 port = launchVirtualPrinter(printer, 0, {QStringLiteral("--capture"), capture});
    if (port == 0) {
        std::fprintf(stderr, "posling-virtual-printer did not start: %s\n",
                     printer.readAllStandardError().constData());
        return 1;
    }
    // Over TCP the paper is done when the printer has answered the last request, which it does once
    // the bytes before it are printed; the status line comes after that answer.
    const Figures tcp =
        measure(folder.path(), QStringLiteral("tcp://127.0.0.1:%1").arg(port), runs, [] { return true; });
    printer.terminate();
    printer.waitForFinished(5000);

    std::printf("| property report, press to last line with paper printed | target | median | min | max | "
                "real printer (250 mm/s) |\n|---|---|---|---|---|---|\n");
    std::printf("| in-process virtual printer (%d lines) | 30 ms | %.1f ms | %.1f ms | %.1f ms | %.0f ms |\n",
                inProcess.lines, inProcess.medianMs, inProcess.minMs, inProcess.maxMs, realMs);
    std::printf(
        "| tcp:// to posling-virtual-printer (%d lines) | 150 ms | %.1f ms | %.1f ms | %.1f ms | %.0f ms |\n",
        tcp.lines, tcp.medianMs, tcp.minMs, tcp.maxMs, realMs);
    const QString real = QStringLiteral("real printer %1").arg(ms(realMs));
    summaryRow(QStringLiteral("property report, press to last line, in-process printer"), ms(30),
               ms(inProcess.medianMs), real);
    summaryRow(QStringLiteral("property report, press to last line, tcp:// on loopback"), ms(150),
               ms(tcp.medianMs), real);
    const bool met = inProcess.lines >= kReportLines && tcp.lines >= kReportLines &&
                     inProcess.medianMs <= 30 && tcp.medianMs <= 150;
    return met ? 0 : 1;
}
