#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

#include <cstdio>

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

#ifdef POSLING_VIRTUAL_PRINTER
// Starts posling-virtual-printer on a free loopback port; the port, or 0 when it did not start.
inline quint16 startPrinter(QProcess& printer, const QStringList& extra = {}) {
    printer.setProgram(QStringLiteral(POSLING_VIRTUAL_PRINTER));
    printer.setArguments(
        QStringList{QStringLiteral("--headless"), QStringLiteral("--port"), QStringLiteral("0")} + extra);
    printer.start();
    if (!printer.waitForStarted(15000))
        return 0;
    static const QRegularExpression listening(QStringLiteral("listening on [^:]+:(\\d+)"));
    QByteArray out;
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired() && !out.contains('\n') && printer.state() == QProcess::Running)
        if (printer.waitForReadyRead(100))
            out += printer.readAllStandardOutput();
    const QRegularExpressionMatch match = listening.match(QString::fromLatin1(out));
    return match.hasMatch() ? quint16(match.captured(1).toUInt()) : 0;
}
#endif
