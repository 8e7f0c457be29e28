#pragma once

#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QString>
#include <QWidget>

#include <cstdio>
#include <functional>

// Shared by the benchmarks.

// One row of the table that scripts/bench.sh gathers from every benchmark: what was measured, the
// target, our figure, and the figure it stands beside (a real printer, a stock widget, another
// encoder), measured in the same run.
inline void summaryRow(const QString& what, const QString& target, const QString& ours,
                       const QString& beside) {
    std::printf("SUMMARY| %s | %s | %s | %s |\n", qPrintable(what), qPrintable(target), qPrintable(ours),
                qPrintable(beside));
    std::fflush(stdout);
}

inline QString ms(double value) {
    return QStringLiteral("%1 ms").arg(value, 0, 'f', value < 10 ? 1 : 0);
}

// Resident memory of a process, in KB; -1 when it cannot be read.
inline qint64 residentKb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// An integer option given as `name N`, or `fallback`.
inline int intOption(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == name)
            return QByteArray(argv[i + 1]).toInt();
    return fallback;
}

// Windows are drawn offscreen, and the virtual printer's own window stays closed.
inline void useOffscreenWindows() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("POSLING_VIRTUAL_PANEL", "0");
}

// Counts a widget's paints, the longest time between two of them, and what `shown` said at the
// latest one (for the status list: how many lines it had when it last painted).
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget, std::function<int()> shown = {}) : m_shown(std::move(shown)) {
        widget->installEventFilter(this);
    }
    void start() {
        m_sincePaint.start();
        m_longestGap = 0;
        m_paints = 0;
    }
    qint64 longestGapMs() const { return qMax(m_longestGap, m_sincePaint.elapsed()); }
    int paints() const { return m_paints; }
    int shownAtLastPaint() const { return m_shownAtLastPaint; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            if (m_sincePaint.isValid())
                m_longestGap = qMax(m_longestGap, m_sincePaint.restart());
            ++m_paints;
            if (m_shown)
                m_shownAtLastPaint = m_shown();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<int()> m_shown;
    QElapsedTimer m_sincePaint;
    qint64 m_longestGap = 0;
    int m_paints = 0;
    int m_shownAtLastPaint = 0;
};
