// Times the bitmap path against its targets, medians of many runs:
//  - a 576 x 2000 grey picture (gradient + noise) to printer bytes: Floyd-Steinberg + GS v 0 bands;
//  - a 200 x 123 colour BMP file to printer bytes: read, check, decode, dither, bands.
// Beside the first, the same grey pixels through the npm package @point-of-sale/receipt-printer-encoder
// (raster mode, Floyd-Steinberg), installed into a temporary folder when npm and node are present;
// it is never a build or test dependency. Only its encoding is timed, inside node.
//
// Usage: bitmap_bench [--runs N] [--no-npm]

#include "benchsupport.h"
#include "device/escpos/bitmapraster.h"

#include <QColor>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kGreyWidth = 576;
constexpr int kGreyHeight = 2000;
constexpr double kGreyTargetMs = 9.0;
constexpr double kColourTargetMs = 1.0;
const char* const kPackage = "@point-of-sale/receipt-printer-encoder";

// A left-to-right gradient with +-20 levels of deterministic noise: every row needs real diffusion.
QImage greyPicture() {
    QImage image(kGreyWidth, kGreyHeight, QImage::Format_Grayscale8);
    quint32 seed = 12345;
    for (int y = 0; y < kGreyHeight; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < kGreyWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 24) % 41 - 20;
            line[x] = uchar(std::clamp(x * 255 / (kGreyWidth - 1) + noise, 0, 255));
        }
    }
    return image;
}

QImage colourPicture() {
    QImage image(200, 123, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, QColor::fromHsv((x * 359) / image.width(), 255, 128 + y).rgb());
    return image;
}

struct Timing {
    double medianMs = 0;
    double bestMs = 0;
};

Timing timeRuns(int runs, const std::function<void()>& work) {
    for (int i = 0; i < 3; ++i)
        work(); // caches, plug-ins, allocator
    std::vector<double> ms;
    ms.reserve(size_t(runs));
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}

QByteArray greyToBytes(const QImage& grey) {
    device::PreparedBitmap bitmap;
    bitmap.dots = device::toPrinterDots(grey, opos::PTR_BM_ASIS);
    return bitmap.standardModeBytes();
}

void report(const char* what, const Timing& t, double targetMs, qsizetype bytes) {
    std::printf("%-44s median %7.3f ms (best %7.3f) | target <= %4.1f ms: %s | %lld bytes\n", what,
                t.medianMs, t.bestMs, targetMs, t.medianMs <= targetMs ? "met" : "MISSED",
                static_cast<long long>(bytes));
    std::fflush(stdout);
}

// The package's image() takes RGBA pixels; the script reads the same grey levels and times only the
// encoding, in the same process as the package.
const char* const kNodeScript = R"(
import ReceiptPrinterEncoder from '@point-of-sale/receipt-printer-encoder';
import { readFileSync } from 'node:fs';
const [raw, w, h, runs] = process.argv.slice(2);
const width = +w, height = +h;
const grey = readFileSync(raw);
const data = new Uint8ClampedArray(width * height * 4);
for (let i = 0; i < width * height; i++) {
  data[4 * i] = data[4 * i + 1] = data[4 * i + 2] = grey[i];
  data[4 * i + 3] = 255;
}
const times = [];
let bytes = 0;
for (let r = 0; r < +runs + 3; r++) {
  const start = process.hrtime.bigint();
  const out = new ReceiptPrinterEncoder({ language: 'esc-pos', imageMode: 'raster' })
      .image({ data, width, height }, width, height, 'floydsteinberg').encode();
  if (r >= 3) times.push(Number(process.hrtime.bigint() - start) / 1e6);
  bytes = out.length;
}
times.sort((a, b) => a - b);
console.log(JSON.stringify({ medianMs: times[times.length >> 1], bestMs: times[0], bytes }));
)";

// Returns the package's median, or a negative value after printing why it was skipped.
double runPackage(const QImage& grey, int runs) {
    const QString npm = QStandardPaths::findExecutable(QStringLiteral("npm"));
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (npm.isEmpty() || node.isEmpty()) {
        std::printf("npm comparison skipped: npm or node is not installed\n");
        return -1;
    }
    QTemporaryDir folder;
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(npm, {QStringLiteral("install"), QStringLiteral("--no-audit"), QStringLiteral("--no-fund"),
                        QStringLiteral("--prefix"), folder.path(), QString::fromLatin1(kPackage)});
    if (!install.waitForFinished(240'000) || install.exitCode() != 0) {
        std::printf("npm comparison skipped: installing %s failed (no network?): %s\n", kPackage,
                    install.readAll().trimmed().right(300).constData());
        return -1;
    }
    QFile raw(folder.filePath(QStringLiteral("grey.raw")));
    QFile script(folder.filePath(QStringLiteral("encode.mjs")));
    if (!raw.open(QIODevice::WriteOnly) || !script.open(QIODevice::WriteOnly))
        return -1;
    for (int y = 0; y < grey.height(); ++y)
        raw.write(reinterpret_cast<const char*>(grey.constScanLine(y)), grey.width());
    raw.close();
    script.write(kNodeScript);
    script.close();
    QProcess encode;
    encode.start(node, {script.fileName(), raw.fileName(), QString::number(grey.width()),
                        QString::number(grey.height()), QString::number(runs)});
    if (!encode.waitForFinished(600'000) || encode.exitCode() != 0) {
        std::printf("npm comparison skipped: the node script failed: %s\n",
                    encode.readAllStandardError().trimmed().right(300).constData());
        return -1;
    }
    const QJsonObject result = QJsonDocument::fromJson(encode.readAllStandardOutput()).object();
    std::printf("%-44s median %7.3f ms (best %7.3f) | %lld bytes\n", "same grey picture, npm package (node)",
                result.value(QStringLiteral("medianMs")).toDouble(),
                result.value(QStringLiteral("bestMs")).toDouble(),
                static_cast<long long>(result.value(QStringLiteral("bytes")).toInteger()));
    return result.value(QStringLiteral("medianMs")).toDouble(-1);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype runsAt = args.indexOf(QStringLiteral("--runs"));
    const int runs = runsAt >= 0 ? std::max(1, args.value(runsAt + 1).toInt()) : 101;

    const QImage grey = greyPicture();
    QByteArray greyBytes;
    const Timing greyTiming = timeRuns(runs, [&] { greyBytes = greyToBytes(grey); });
    report("576 x 2000 grey -> dithered GS v 0 bytes", greyTiming, kGreyTargetMs, greyBytes.size());

    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("colour.bmp"));
    if (!colourPicture().save(file, "BMP")) {
        std::printf("cannot write %s\n", qPrintable(file));
        return 1;
    }
    const device::PrinterProfile profile = *device::PrinterProfile::byId(QStringLiteral("80mm"));
    QByteArray colourBytes;
    const Timing colourTiming = timeRuns(runs * 5, [&] {
        colourBytes = device::prepareBitmap({file, opos::PTR_BM_ASIS, opos::PTR_BM_CENTER}, profile)
                          .standardModeBytes();
    });
    report("200 x 123 colour BMP file -> bytes", colourTiming, kColourTargetMs, colourBytes.size());

    double theirs = 0;
    if (!args.contains(QStringLiteral("--no-npm"))) {
        theirs = runPackage(grey, std::min(runs, 31));
        if (theirs > 0)
            std::printf("ratio ours / npm package for the grey picture: %.3f (%.1f times faster)\n",
                        greyTiming.medianMs / theirs, theirs / greyTiming.medianMs);
    }
    summaryRow(QStringLiteral("576 x 2000 grey image to printer bytes"), ms(kGreyTargetMs),
               ms(greyTiming.medianMs),
               theirs > 0 ? QStringLiteral("npm receipt-printer-encoder %1").arg(ms(theirs))
                          : QStringLiteral("npm package not run"));
    const bool met = greyTiming.medianMs <= kGreyTargetMs && colourTiming.medianMs <= kColourTargetMs &&
                     !greyBytes.isEmpty() && !colourBytes.isEmpty();
    return met ? 0 : 1;
}
