#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

// Starts posling-virtual-printer (POSLING_VIRTUAL_PRINTER, defined by whoever includes this)
// headless on a loopback port, 0 for a free one. Returns the port it listens on, or 0 when it did
// not start. A loaded machine, or one under a sanitizer, may take seconds to say.
inline quint16 launchVirtualPrinter(QProcess& process, quint16 port, const QStringList& extra = {}) {
    process.setProgram(QStringLiteral(POSLING_VIRTUAL_PRINTER));
    process.setArguments(
        QStringList{QStringLiteral("--headless"), QStringLiteral("--port"), QString::number(port)} + extra);
    process.start();
    if (!process.waitForStarted(15000))
        return 0;
    static const QRegularExpression listening(QStringLiteral("listening on [^:]+:(\\d+)"));
    QByteArray out;
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired() && !out.contains('\n') && process.state() == QProcess::Running)
        if (process.waitForReadyRead(100))
            out += process.readAllStandardOutput();
    const QRegularExpressionMatch match = listening.match(QString::fromLatin1(out));
    return match.hasMatch() ? quint16(match.captured(1).toUInt()) : 0;
}
