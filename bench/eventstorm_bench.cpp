// An event storm: the in-process virtual printer's cover opens and closes 5,000 times as fast as the
// link delivers its automatic status, so the printer window logs 10,000 StatusUpdateEvents. Every one
// must reach the status list, in order, and the list must repaint at least every 50 ms meanwhile.
//
// Usage: eventstorm_bench [--events N]   (exits 1 when an event is lost or the window froze)

#include "app/form.h"
#include "app/frm_sample.h"
#include "app/statuslist.h"
#include "benchsupport.h"
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
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv) {
    useOffscreenWindows();
    QApplication app(argc, argv);
    const int events = qMax(2, intOption(argc, argv, "--events", 10000) / 2 * 2);
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
    QFile ini(folder.filePath(QStringLiteral("devices.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[Z901]\nclass=POSPrinter\nconnection=virtual:Z901\nprofile=80mm\n");
    ini.close();
    qputenv("POSLING_DEVICES", QFile::encodeName(ini.fileName()));
    installVirtualPrinter();
    installDeviceControls();
    frm_Sample& main = FormInstance<frm_Sample>::get();
    main.show();
    frmPrinter& window = FormInstance<frmPrinter>::get();
    window.Display();
    for (const char* button : {"cmdOpenPrinter", "cmdClaimPrinter", "cmdEnablePrinter"})
        window.findChild<QAbstractButton*>(QLatin1String(button))->click();
    virt::VirtualPrinter* printer = virt::VirtualPrinterHub::instance()->printer(QStringLiteral("Z901"));
    StatusList* list = main.lstStatusResults;
    PaintWatch watch(list->viewport());
    QCoreApplication::processEvents();

    const int before = list->ListCount();
    QElapsedTimer took;
    took.start();
    watch.start();
    // The printer reports each change at once; the event loop runs between batches, as it would
    // between the bytes a real link delivers.
    for (int i = 0; i < events; ++i) {
        printer->setCoverOpen(i % 2 == 0);
        if (i % 50 == 49)
            QCoreApplication::processEvents();
    }
    const QDeadlineTimer deadline(60000);
    while (list->ListCount() - before < events && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double elapsedMs = took.nsecsElapsed() / 1e6;
    QCoreApplication::processEvents();
    const qint64 longestGap = watch.longestGapMs();

    int logged = 0;
    int inOrder = 0;
    for (int i = before; i < list->ListCount(); ++i) {
        const QString line = list->List(i);
        if (!line.contains(QLatin1String("StatusUpdateEvent")))
            continue;
        const bool open = logged % 2 == 0;
        inOrder += line.contains(QLatin1String(open ? "StatusUpdateEvent: 11" : "StatusUpdateEvent: 12"));
        ++logged;
    }
    std::printf("| event storm | target | result |\n|---|---|---|\n");
    std::printf("| StatusUpdateEvents logged, in order | %d | %d, %d in order |\n", events, logged, inOrder);
    std::printf("| time to log them all | | %.0f ms (%.1f µs each) |\n", elapsedMs,
                elapsedMs * 1000.0 / qMax(1, logged));
    std::printf("| longest time between repaints | 50 ms | %lld ms (%d repaints) |\n", longestGap,
                watch.paints());
    summaryRow(QStringLiteral("%1 StatusUpdateEvents logged in order").arg(events), QStringLiteral("all"),
               QStringLiteral("%1 in %2").arg(inOrder).arg(ms(elapsedMs)), QString());
    summaryRow(QStringLiteral("longest time between repaints during the storm"), ms(50),
               ms(double(longestGap)), QString());
    return logged == events && inOrder == events && longestGap <= 50 ? 0 : 1;
}
