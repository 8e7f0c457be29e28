// Soak run: many receipts with text, a bar code and a bitmap through the controls to
// posling-virtual-printer over TCP on loopback, watching the resident memory of both processes.
//   soak_bench [RECEIPTS]   (default 10000)
// Exits 1 when a call fails or either process grows by 5 MB or more after the warm-up.
#include "benchsupport.h"
#include "common/printerlaunch.h"
#include "device/control/posprintercontrol.h"
#include "device/installcontrols.h"
#include "opos/oposconstants.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

using namespace opos;

namespace {

constexpr int kWarmUpReceipts = 500;
constexpr qint64 kAllowedGrowthKb = 5 * 1024;

// One receipt as the windows print it: text, a bar code, the sample bitmap and a cut.
bool printReceipt(device::PosPrinterControl& p, int number, const QString& bitmap) {
    return p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("Soak receipt %1\nItem one        1.00\n"
                                                       "Item two        2.00\n\x1b|bC\x1b|2CTotal 3.00\n")
                                            .arg(number)) == OPOS_SUCCESS &&
           p.PrintBarCode(PTR_S_RECEIPT, QStringLiteral("%1").arg(number, 12, 10, QLatin1Char('0')),
                          PTR_BCS_Code128, 80, 400, PTR_BC_CENTER, PTR_BC_TEXT_BELOW) == OPOS_SUCCESS &&
           p.PrintBitmap(PTR_S_RECEIPT, bitmap, PTR_BM_ASIS, PTR_BM_CENTER) == OPOS_SUCCESS &&
           p.CutPaper(90) == OPOS_SUCCESS;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int receipts = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
    QProcess printer;
    const quint16 port = launchVirtualPrinter(printer, 0);
    if (port == 0) {
        std::fprintf(stderr, "posling-virtual-printer did not start\n");
        return 1;
    }
    const QString devices = folder.filePath(QStringLiteral("devices.ini"));
    QFile ini(devices);
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write(QStringLiteral("[Z901]\nclass=POSPrinter\nconnection=tcp://127.0.0.1:%1\nprofile=80mm\n")
                  .arg(port)
                  .toUtf8());
    ini.close();
    qputenv("POSLING_DEVICES", QFile::encodeName(devices));
    installDeviceControls();

    device::PosPrinterControl p;
    if (p.Open(QStringLiteral("Z901")) != OPOS_SUCCESS || p.Claim(1000) != OPOS_SUCCESS)
        return 1;
    p.setDeviceEnabled(true);
    const QString sample = QStringLiteral(POSLING_SAMPLE_BITMAP);

    std::printf("| receipts | soak_bench RSS (KB) | posling-virtual-printer RSS (KB) | ms per receipt |\n"
                "|---:|---:|---:|---:|\n");
    qint64 ownAfterWarmUp = 0, printerAfterWarmUp = 0, ownPeak = 0, printerPeak = 0;
    QElapsedTimer took;
    took.start();
    int failures = 0;
    for (int i = 1; i <= receipts; ++i) {
        if (!printReceipt(p, i, sample) && ++failures == 1)
            std::fprintf(stderr, "receipt %d failed: %d/%d\n", i, p.ResultCode(), p.ResultCodeExtended());
        if (i % 1000 != 0 && i != kWarmUpReceipts)
            continue;
        const qint64 own = residentKb(QCoreApplication::applicationPid());
        const qint64 printerKb = residentKb(printer.processId());
        std::printf("| %d | %lld | %lld | %.1f |\n", i, own, printerKb,
                    double(took.restart()) / (i == kWarmUpReceipts ? kWarmUpReceipts : 1000));
        std::fflush(stdout);
        if (i == kWarmUpReceipts) {
            ownAfterWarmUp = own;
            printerAfterWarmUp = printerKb;
        } else {
            ownPeak = qMax(ownPeak, own);
            printerPeak = qMax(printerPeak, printerKb);
        }
    }
    p.Close();
    printer.terminate();
    printer.waitForFinished(5000);
    const qint64 ownGrowth = ownPeak - ownAfterWarmUp, printerGrowth = printerPeak - printerAfterWarmUp;
    std::printf("\ngrowth after %d receipts of warm-up: soak_bench %lld KB, posling-virtual-printer %lld KB; "
                "%d failed calls\n",
                kWarmUpReceipts, ownGrowth, printerGrowth, failures);
    return failures == 0 && ownGrowth < kAllowedGrowthKb && printerGrowth < kAllowedGrowthKb ? 0 : 1;
}
