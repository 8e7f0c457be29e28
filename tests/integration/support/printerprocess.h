#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

// Needs POSLING_VIRTUAL_PRINTER, the path of the program, defined for the test that includes it.

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// posling-virtual-printer as its own process on a free loopback port, capturing what it receives.
class PrinterProcess {
public:
    explicit PrinterProcess(const QString& capture) : m_capture(capture) {}
    ~PrinterProcess() { stop(); }

    bool start(quint16 port = 0, const QStringList& extra = {}) {
        m_process.setProgram(QStringLiteral(POSLING_VIRTUAL_PRINTER));
        m_process.setArguments(QStringList{QStringLiteral("--headless"), QStringLiteral("--port"),
                                           QString::number(port), QStringLiteral("--capture"), m_capture} +
                               extra);
        m_process.start();
        if (!m_process.waitForStarted(15000)) // a loaded machine, or one under a sanitizer, is slow
            return false;
        static const QRegularExpression listening(QStringLiteral("listening on [^:]+:(\\d+)"));
        QByteArray out;
        const QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired() && !out.contains('\n') && m_process.state() == QProcess::Running)
            if (m_process.waitForReadyRead(100))
                out += m_process.readAllStandardOutput();
        const QRegularExpressionMatch match = listening.match(QString::fromLatin1(out));
        m_port = match.hasMatch() ? quint16(match.captured(1).toUInt()) : 0;
        return m_port != 0;
    }
    void kill() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    void stop() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            kill();
    }
    quint16 port() const { return m_port; }
    QByteArray wire() const { return readFile(QDir(m_capture).filePath(QStringLiteral("wire.bin"))); }

private:
    QString m_capture;
    QProcess m_process;
    quint16 m_port = 0;
};
