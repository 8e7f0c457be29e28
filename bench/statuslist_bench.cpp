// Logs lines into a shown status list the way the main window does (append, select, scroll into
// view, count on) and reports time and resident memory per line at 10,000, 100,000 and 1,000,000
// lines. Events are processed after every 1000 lines, as an event loop would between bursts.
// For comparison on the same machine, the best stock widget (QListView over a QStringList model
// with uniform item sizes and batched layout) runs the same steps.
//
// Each run is a fresh child process, so that memory growth is not hidden by freed heap.
// Usage: statuslist_bench [--lines N [--stock]] [--no-stock]   (QT_QPA_PLATFORM defaults to offscreen)

#include "app/statuslist.h"
#include "benchsupport.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr int EventBatch = 1000;

class StockModel : public QAbstractListModel {
public:
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(lines.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        return role == Qt::DisplayRole ? QVariant(lines.value(index.row())) : QVariant();
    }
    void append(const QString& line) {
        beginInsertRows({}, int(lines.size()), int(lines.size()));
        lines.append(line);
        endInsertRows();
    }
    QStringList lines;
};

class StockList : public QListView {
public:
    StockList() {
        setModel(&m_model);
        setUniformItemSizes(true);
        setLayoutMode(QListView::Batched);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
    }
    void AddItem(const QString& line) { m_model.append(line); }
    int ListCount() const { return m_model.rowCount(); }
    int ListIndex() const { return currentIndex().row(); }
    void setListIndex(int index) {
        const QModelIndex line = m_model.index(index);
        setCurrentIndex(line);
        scrollTo(line);
    }

private:
    StockModel m_model;
};

qint64 cpuNs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

qint64 residentBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

QString statusLine(qint32 counter) {
    return QString::number(counter) + QStringLiteral(":  Result of Printer.PrintNormal:  OPOS_SUCCESS");
}

template <typename List> void logLine(List& list, qint32& Counter) {
    list.AddItem(statusLine(Counter));
    list.setListIndex(Counter);
    ++Counter;
}

void settle(QApplication& app) {
    for (int i = 0; i < 10; ++i)
        app.processEvents();
}

// Loads fonts and style caches once, so that the measured growth is that of the lines.
template <typename List> void warmUp(QApplication& app) {
    List list;
    list.resize(601, 184);
    list.show();
    qint32 Counter = 0;
    while (Counter < 1000)
        logLine(list, Counter);
    settle(app);
}

template <typename List> int runOnce(QApplication& app, int lines, const char* name) {
    warmUp<List>(app);
    List list;
    list.resize(601, 184);
    list.show();
    settle(app);

    const qint64 rssBefore = residentBytes();
    const int tenth = std::max(1, lines / 10);
    qint64 firstTenthCpuNs = 0;
    qint64 lastTenthStartCpuNs = 0;
    qint64 worstBatchNs = 0;
    qint64 batchStartNs = 0;
    const qint64 cpuStartNs = cpuNs();
    QElapsedTimer timer;
    timer.start();

    qint32 Counter = 0;
    while (Counter < lines) {
        logLine(list, Counter);
        if (Counter % EventBatch == 0) {
            app.processEvents();
            const qint64 now = timer.nsecsElapsed();
            worstBatchNs = std::max(worstBatchNs, now - batchStartNs);
            batchStartNs = now;
        }
        if (Counter == tenth)
            firstTenthCpuNs = cpuNs() - cpuStartNs;
        if (Counter == lines - tenth)
            lastTenthStartCpuNs = cpuNs();
    }
    settle(app);
    const qint64 totalNs = timer.nsecsElapsed();
    const qint64 endCpuNs = cpuNs();
    const qint64 rssAfter = residentBytes();

    const QModelIndex newest = list.model()->index(list.ListIndex(), 0);
    const bool newestShown = list.ListIndex() == lines - 1 && list.ListCount() == lines &&
                             list.visualRect(newest).top() >= 0 &&
                             list.visualRect(newest).bottom() <= list.viewport()->rect().bottom();

    auto perLineUs = [](qint64 ns, int count) { return double(ns) / 1000.0 / count; };
    std::printf("%-11s %9d lines: wall %8.1f ms = %5.2f us/line | CPU %5.2f us/line (first tenth %5.2f, "
                "last tenth %5.2f) | worst %d-line batch %6.2f us/line | memory %6.1f B/line | newest "
                "selected and visible: %s\n",
                name, lines, double(totalNs) / 1e6, perLineUs(totalNs, lines),
                perLineUs(endCpuNs - cpuStartNs, lines), perLineUs(firstTenthCpuNs, tenth),
                perLineUs(endCpuNs - lastTenthStartCpuNs, tenth), EventBatch,
                perLineUs(worstBatchNs, EventBatch), double(rssAfter - rssBefore) / lines,
                newestShown ? "yes" : "no");
    std::fflush(stdout);
    if (lines == 1'000'000)
        summaryRow(
            QStringLiteral("status list, a line logged (1,000,000 lines): %1").arg(QLatin1String(name)),
            QStringLiteral("flat"),
            QStringLiteral("%1 µs, %2 B")
                .arg(perLineUs(totalNs, lines), 0, 'f', 1)
                .arg(double(rssAfter - rssBefore) / lines, 0, 'f', 0),
            QStringLiteral("newest line in view: %1").arg(QLatin1String(newestShown ? "yes" : "no")));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QStringList args = app.arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--lines"));
    if (at >= 0 && at + 1 < args.size()) {
        const int lines = std::max(EventBatch, args.at(at + 1).toInt());
        return args.contains(QStringLiteral("--stock")) ? runOnce<StockList>(app, lines, "stock view")
                                                        : runOnce<StatusList>(app, lines, "StatusList");
    }

    std::printf(
        "Append + select + scroll into view per line, lines of 47-53 characters, events processed every %d "
        "lines, list shown at 601 x 184\n",
        EventBatch);
    std::fflush(stdout);
    const bool withStock = !args.contains(QStringLiteral("--no-stock"));
    int failures = 0;
    for (const bool stock : {false, true}) {
        if (stock && !withStock)
            continue;
        for (const int lines : {10'000, 100'000, 1'000'000}) {
            QStringList childArgs{QStringLiteral("--lines"), QString::number(lines)};
            if (stock)
                childArgs << QStringLiteral("--stock");
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedOutputChannel);
            child.start(QCoreApplication::applicationFilePath(), childArgs);
            if (!child.waitForFinished(900'000) || child.exitCode() != 0)
                ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
