// Rendering jobs offline (posling-virtual-printer render) against printing them through the
// printer's server path (a link, the event loop, the capture folder), with PNG writing in both.
#include "benchsupport.h"

#include "virtual/capturefolder.h"
#include "virtual/render/jobrenderer.h"
#include "virtual/virtualprinter.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

namespace {

QByteArray dataFile(const char* name) {
    QFile file(QStringLiteral(POSLING_TEST_DATA "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every receipt of the job as PNG, its listing and its lines: what render writes, written to `folder`.
int renderJob(const QByteArray& job, const QString& folder) {
    const virt::JobRenderer renderer(virt::VirtualProfile::defaultProfile(), virt::ReplyPersonality::full());
    const virt::RenderedJob rendered = renderer.render(job);
    for (const virt::Receipt& receipt : rendered.receipts) {
        QFile png(QDir(folder).filePath(QStringLiteral("r-%1.png").arg(receipt.number)));
        if (png.open(QIODevice::WriteOnly))
            png.write(virt::receiptPng(receipt.image));
    }
    QFile listing(QDir(folder).filePath(QStringLiteral("r.jsonl")));
    if (listing.open(QIODevice::WriteOnly))
        listing.write(rendered.listing.jsonLines(rendered.receipts));
    return int(rendered.receipts.size());
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

// Median milliseconds of `runs` runs after a warm-up, and the receipts one run gives.
std::pair<double, int> time(int (*run)(const QByteArray&, const QString&), const QByteArray& job, int runs) {
    QTemporaryDir folder;
    int receipts = run(job, folder.path());
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir fresh;
        QElapsedTimer timer;
        timer.start();
        receipts = run(job, fresh.path());
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], receipts};
}

void measure(const char* what, const char* target, const QByteArray& job, int runs) {
    const auto [renderMs, receipts] = time(renderJob, job, runs);
    const auto [serveMs, served] = time(serveJob, job, runs);
    const double perSecond = receipts * 1000.0 / renderMs;
    std::printf(
        "%-26s %8.1f KB %4d receipts | render %8.1f ms, %7.0f receipts/s | server path %8.1f ms (%d)\n", what,
        job.size() / 1024.0, receipts, renderMs, perSecond, serveMs, served);
    summaryRow(QStringLiteral("render, %1").arg(QLatin1String(what)), QLatin1String(target),
               QStringLiteral("%1 (%2 receipts/s)").arg(ms(renderMs)).arg(perSecond, 0, 'f', 0),
               QStringLiteral("server path %1").arg(ms(serveMs)));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = std::max(1, intOption(argc, argv, "--runs", 5));
    // The report as one job of its own, cut, as the control prints it.
    const QByteArray report = dataFile("property-report.bin") + QByteArray::fromHex("1d564200");
    measure("property report", "200 receipts/s", report, runs);
    measure("receipt-printer-encoder", "", dataFile("encoders/receipt-printer-encoder.bin"), runs);
    measure("receiptline", "", dataFile("encoders/receiptline.bin"), runs);
    QByteArray random(2 * 1024 * 1024, '\0');
    QRandomGenerator generator(27);
    for (char& c : random)
        c = char(generator.bounded(256));
    measure("random bytes, 2 MB", "under 1 s", random, std::min(runs, 3));
    return 0;
}
