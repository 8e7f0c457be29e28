// Start-up: how long Posling takes from nothing to its main window drawn, and what it holds once
// idle. Three figures, each the median of fresh processes on the offscreen platform:
//   - the main window made, shown and drawn, timed inside a process of this benchmark;
//   - the whole program, `posling --quit-after-start`, from launch to exit;
//   - the resident memory of `posling` one second after its start, idle.
//
// Usage: startup_bench [--runs N]   (exits 1 when a target is missed)

#include "app/form.h"
#include "app/frm_sample.h"
#include "benchsupport.h"
#include "device/installcontrols.h"
#include "virtual/installvirtual.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// In a child process: the application and the main window, made, shown and drawn.
int windowOnce(int argc, char** argv) {
    QElapsedTimer took;
    took.start();
    QApplication app(argc, argv);
    installVirtualPrinter();
    installDeviceControls();
    frm_Sample& window = FormInstance<frm_Sample>::get();
    window.show();
    window.repaint();
    std::printf("%.3f\n", took.nsecsElapsed() / 1e6);
    return 0;
}

std::vector<double> times(int runs, const std::function<double()>& once) {
    std::vector<double> out;
    once(); // warm-up: the files come into the page cache
    for (int i = 0; i < runs; ++i)
        out.push_back(once());
    return out;
}

} // namespace

int main(int argc, char** argv) {
    useOffscreenWindows();
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
    if (argc > 1 && QByteArray(argv[1]) == "--window-once")
        return windowOnce(argc, argv);
    QCoreApplication app(argc, argv);
    const int runs = qMax(1, intOption(argc, argv, "--runs", 11));

    const std::vector<double> window = times(runs, [] {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--window-once")});
        child.waitForFinished(30000);
        return child.readAllStandardOutput().trimmed().toDouble();
    });
    const std::vector<double> program = times(runs, [] {
        QElapsedTimer took;
        took.start();
        QProcess child;
        child.start(QStringLiteral(POSLING_PROGRAM), {QStringLiteral("--quit-after-start")});
        child.waitForFinished(30000);
        return child.exitCode() == 0 ? took.nsecsElapsed() / 1e6 : 1e9;
    });
    const std::vector<double> resident = times(qMax(3, runs / 2), [] {
        QProcess child;
        child.start(QStringLiteral(POSLING_PROGRAM), QStringList());
        child.waitForStarted(30000);
        QThread::msleep(1000);
        const double kb = double(residentKb(child.processId()));
        child.terminate();
        child.waitForFinished(5000);
        return kb;
    });

    const double windowMs = median(window), programMs = median(program),
                 residentMb = median(resident) / 1024.0;
    std::printf("| start-up | target | median | min | max |\n|---|---|---|---|---|\n");
    std::printf("| main window made, shown and drawn (in-process) | 300 ms | %.0f ms | %.0f ms | %.0f ms |\n",
                windowMs, *std::min_element(window.begin(), window.end()),
                *std::max_element(window.begin(), window.end()));
    std::printf("| `posling --quit-after-start`, launch to exit | 300 ms | %.0f ms | %.0f ms | %.0f ms |\n",
                programMs, *std::min_element(program.begin(), program.end()),
                *std::max_element(program.begin(), program.end()));
    std::printf("| idle resident memory of `posling` | 40 MB | %.1f MB | %.1f MB | %.1f MB |\n", residentMb,
                *std::min_element(resident.begin(), resident.end()) / 1024.0,
                *std::max_element(resident.begin(), resident.end()) / 1024.0);
    summaryRow(QStringLiteral("start to main window drawn, in-process"), ms(300), ms(windowMs), QString());
    summaryRow(QStringLiteral("start to main window drawn, whole program"), ms(300), ms(programMs),
               QString());
    summaryRow(QStringLiteral("idle resident memory"), QStringLiteral("40 MB"),
               QStringLiteral("%1 MB").arg(residentMb, 0, 'f', 1), QString());
    return windowMs <= 300 && programMs <= 300 && residentMb <= 40 ? 0 : 1;
}
