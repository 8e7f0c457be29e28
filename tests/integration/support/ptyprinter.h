#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <memory>
#include <termios.h>

namespace virt {
class EscPosSession;
class VirtualPrinter;
} // namespace virt

// A virtual printer at the far end of a pseudo-terminal, as a printer behind a USB serial adapter.
// The program under test opens the slave through a stable name (a symlink), so the device can be
// unplugged and plugged in again under that name; this end reads the master into a session of the
// printer, no faster than its receive buffer takes, and writes the replies back.
class PtyPrinter : public QObject {
    Q_OBJECT
public:
    explicit PtyPrinter(virt::VirtualPrinter* printer, QObject* parent = nullptr);
    ~PtyPrinter() override;

    bool isPlugged() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; } // /dev/pts/N
    QString linkPath() const { return m_folder.filePath(QStringLiteral("printer")); }
    // What the program set on the line (the master reports the slave's settings).
    termios lineSettings() const;

    // The printer takes `bytes` more, then nothing: the pty fills and the writer stalls.
    void stopReadingAfter(qsizetype bytes);
    // Takes data again, without what the pty held meanwhile (the printer was switched off and on).
    void resumeReading();
    // Takes data again, with what the pty held meanwhile (the printer was only busy).
    void continueReading();
    // Unplugged: the master closes, so the slave side is hung up, and the name goes.
    void hangUp();
    // Plugged in again: a new pty under the same name.
    bool reopen();

private:
    bool plugIn();
    void readAvailable();
    void send(const QByteArray& bytes);
    void writePending();

    virt::VirtualPrinter* m_printer;
    QPointer<virt::EscPosSession> m_session;
    QTemporaryDir m_folder;
    int m_master = -1;
    int m_slave = -1; // held so the master never reads the hang-up of the program's last close
    QString m_slavePath;
    qsizetype m_allowance = -1; // bytes still to take; -1 takes everything
    QByteArray m_outbox;
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
};
