// Rendering jobs offline (posling-virtual-printer render) against printing them through the
// printer's server path (a link, the event loop, the capture folder), with PNG writing in both.
#include "benchsupport.h"

#include "virtual/capturefolder.h"
#include "virtual/render/rendercommand.h"
#include "virtual/virtualprinter.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

QByteArray dataFile(const char* name) {
    QFile file(QStringLiteral(POSLING_TEST_DATA "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What `posling-virtual-printer render JOB --out FOLDER` does, in this process: every receipt as PNG,
// the listing and the lines written to `folder`.
int renderJob(const QByteArray& job, const QString& folder) {
    QFile file(QDir(folder).filePath(QStringLiteral("job.bin")));
    if (!file.open(QIODevice::WriteOnly) || file.write(job) != job.size())
        return -1;
    file.close();
    QString printed, errors;
    QTextStream out(&printed), err(&errors);
    virt::runRenderCommand({file.fileName(), QStringLiteral("--out"), folder}, out, err);
    out.flush();
    return int(printed.count(QLatin1Char('\n')));
}

// The same job through a link of a running printer, saved by its capture folder.
int serveJob(const QByteArray& job, const QString& folder) {
    virt::VirtualPrinter printer(QStringLiteral("bench"), virt::VirtualProfile::defaultProfile());
    printer.setCaptureFolder(folder);
    int receipts = 0;
    QObject::connect(&printer, &virt::VirtualPrinter::receiptSaved, [&] { ++receipts; });
    virt::EscPosSession* session = printer.attach([](const QByteArray&) {});
    qsizetype offset = 0;
    while (offset < job.size() || printer.isPrinting()) {
        if (offset < job.size())
            offset += printer.receive(session, job.mid(offset, 4096));
        QCoreApplication::processEvents();
    }
    printer.finish();
    return receipts;
}

struct Timing {
    double ms = 0;    // wall clock, median
    double cpuMs = 0; // processor time on all cores, median
    int receipts = 0;
};

// Medians of `runs` runs after a warm-up, and the receipts one run gives.
Timing time(int (*run)(const QByteArray&, const QString&), const QByteArray& job, int runs) {
    QTemporaryDir folder;
    Timing timing;
    timing.receipts = run(job, folder.path());
    std::vector<double> ms, cpu;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir fresh;
        QElapsedTimer timer;
        timer.start();
        const std::clock_t started = std::clock();
        timing.receipts = run(job, fresh.path());
        cpu.push_back(double(std::clock() - started) * 1000.0 / CLOCKS_PER_SEC);
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    timing.ms = ms[ms.size() / 2];
    timing.cpuMs = cpu[cpu.size() / 2];
    return timing;
}

void measure(const char* what, const char* target, const QByteArray& job, int runs) {
    const Timing render = time(renderJob, job, runs);
    const Timing serve = time(serveJob, job, runs);
    const double perSecond = render.receipts * 1000.0 / render.ms;
    const double perCore = render.receipts * 1000.0 / render.cpuMs;
    std::printf("%-30s %8.1f KB %4d receipts | render %7.1f ms, %5.0f receipts/s, %5.0f per core | "
                "server path %7.1f ms (%d)\n",
                what, job.size() / 1024.0, render.receipts, render.ms, perSecond, perCore, serve.ms,
                serve.receipts);
    summaryRow(QStringLiteral("render, %1").arg(QLatin1String(what)), QLatin1String(target),
               QStringLiteral("%1 (%2 receipts/s, %3 per core)")
                   .arg(ms(render.ms))
                   .arg(perSecond, 0, 'f', 0)
                   .arg(perCore, 0, 'f', 0),
               QStringLiteral("server path %1").arg(ms(serve.ms)));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = std::max(1, intOption(argc, argv, "--runs", 5));
    // The report as one job of its own, cut, as the control prints it.
    const QByteArray report = dataFile("property-report.bin") + QByteArray::fromHex("1d564200");
    measure("property report", "", report, runs);
    measure("property report x50, one job", "200 receipts/s", report.repeated(50), runs);
    measure("receipt-printer-encoder", "", dataFile("encoders/receipt-printer-encoder.bin"), runs);
    measure("receiptline", "", dataFile("encoders/receiptline.bin"), runs);
    QByteArray random(2 * 1024 * 1024, '\0');
    QRandomGenerator generator(27);
    for (char& c : random)
        c = char(generator.bounded(256));
    measure("random bytes, 2 MB", "under 1 s", random, std::min(runs, 3));
    return 0;
}
