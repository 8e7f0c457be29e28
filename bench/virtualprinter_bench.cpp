// How fast the virtual printer turns byte streams into paper, against a real printer printing the
// same paper at 250 mm/s (2000 dot lines a second) and taking its bytes over a 115200 baud serial
// line at most: plain text, styled text, raster images, and random bytes. Medians of several runs
// of a fresh printer each, after one warm-up run.
//
// Usage: virtualprinter_bench [--runs N]

#include "benchsupport.h"
#include "virtual/escpossession.h"
#include "virtual/virtualprinter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr double kRealDotLinesPerSecond = 2000.0;

QByteArray plainText() {
    QByteArray out("\x1b@");
    for (int i = 0; i < 2000; ++i)
        out += QByteArray("Item ").append(QByteArray::number(i).rightJustified(5, '0')) +
               "  Lorem ipsum dolor sit amet, consectetur   9.99\n";
    return out;
}

QByteArray styledText() {
    const auto hex = [](const char* h) { return QByteArray::fromHex(h); };
    QByteArray out("\x1b@");
    for (int i = 0; i < 1000; ++i) {
        out += hex("1b4501") + "Bold heading line" + hex("1b4500 0a");
        out += hex("1d2111") + "Double" + hex("1d2100") + " " + hex("1b2d01") + "under" + hex("1b2d00") +
               " " + hex("1d4201") + "reverse" + hex("1d4200 0a");
        out += hex("1b6101") + "centred text line" + hex("0a 1b6100");
    }
    return out;
}

QByteArray rasterImages() {
    QByteArray out("\x1b@");
    for (int i = 0; i < 50; ++i) {
        // 576 x 256 dots of stripes, as a logo or a picture
        QByteArray image = QByteArray::fromHex("1d763000 4800 0001");
        for (int row = 0; row < 256; ++row)
            image += QByteArray(72, char(row % 8 < 4 ? 0xAA : 0x55));
        out += image;
    }
    return out;
}

QByteArray randomBytes() {
    std::mt19937 random(20261208);
    QByteArray out(512 * 1024, '\0');
    for (char& c : out)
        c = char(random() & 0xFF);
    return out;
}

struct Run {
    double ms = 0;
    int dotLines = 0;
    double longestStallMs = 0; // the longest the event loop (a window, a quit) had to wait
};

// A fresh printer takes the whole stream as a host would send it, and prints all of it.
Run printStream(const QByteArray& stream) {
    virt::VirtualPrinter printer(QStringLiteral("bench"), virt::VirtualProfile::defaultProfile());
    virt::EscPosSession* session = printer.attach([](const QByteArray&) {});
    int dotLines = 0;
    QObject::connect(printer.paper(), &virt::PaperRoll::receiptClosed,
                     [&](const virt::Receipt& r) { dotLines += r.image.height(); });
    QElapsedTimer timer;
    timer.start();
    QElapsedTimer sinceTick;
    sinceTick.start();
    double longestStall = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestStall = std::max(longestStall, double(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
    });
    ticker.start(1);
    qsizetype offset = 0;
    while (offset < stream.size() || printer.isPrinting()) {
        if (offset < stream.size())
            offset += printer.receive(session, stream.mid(offset, 4096));
        QCoreApplication::processEvents();
        if (!printer.canPrint())
            break; // random bytes may switch it off line
    }
    Run run;
    run.ms = double(timer.nsecsElapsed()) / 1e6;
    run.dotLines = dotLines + printer.paper()->position();
    run.longestStallMs = longestStall;
    return run;
}

void measure(const char* what, const char* target, const QByteArray& stream, int runs) {
    printStream(stream); // warm-up: fonts, code tables
    std::vector<double> ms;
    int dotLines = 0;
    double stall = 0;
    for (int i = 0; i < runs; ++i) {
        const Run run = printStream(stream);
        ms.push_back(run.ms);
        dotLines = run.dotLines;
        stall = std::max(stall, run.longestStallMs);
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double paperMs = dotLines / kRealDotLinesPerSecond * 1000.0;
    const double serialMs = stream.size() * 10.0 / 115200.0 * 1000.0;
    const double realMs = std::max(paperMs, serialMs);
    std::printf(
        "%-14s %7.1f KB %8d dot lines | median %7.1f ms (%.1f..%.1f) | real printer %9.1f ms | %6.1fx "
        "faster | longest stall %5.1f ms\n",
        what, stream.size() / 1024.0, dotLines, median, ms.front(), ms.back(), realMs, realMs / median,
        stall);
    summaryRow(QStringLiteral("virtual printer, %1").arg(QLatin1String(what)), QLatin1String(target),
               QStringLiteral("%1x a real printer").arg(realMs / median, 0, 'f', 0),
               QStringLiteral("real printer %1 ms").arg(realMs, 0, 'f', 0));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype runsAt = args.indexOf(QStringLiteral("--runs"));
    const int runs = runsAt >= 0 ? std::max(1, args.value(runsAt + 1).toInt()) : 5;
    measure("plain text", "50x", plainText(), runs);
    measure("styled text", "20x", styledText(), runs);
    measure("raster images", "20x", rasterImages(), runs);
    measure("random bytes", "as plain text", randomBytes(), runs);
    return 0;
}
