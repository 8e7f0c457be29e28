#pragma once

#include "common/printerlaunch.h"

#include <QDir>
#include <QFile>
#include <QProcess>

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
        m_port = launchVirtualPrinter(m_process, port,
                                      QStringList{QStringLiteral("--capture"), m_capture} + extra);
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
