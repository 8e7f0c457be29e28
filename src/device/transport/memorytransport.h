#pragma once

#include "device/transport/transport.h"

#include <QMap>
#include <QPointer>

#include <functional>

namespace device {

// A transport that keeps what is written and hands back what a test feeds in; a peer (a scripted
// printer) answers through bytesWritten/feed. Every signal is delivered from the event loop, as a
// real link would.
class MemoryTransport : public Transport {
    Q_OBJECT
public:
    explicit MemoryTransport(const QString& address, QObject* parent = nullptr);
    ~MemoryTransport() override;

    void open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void write(const QByteArray& bytes) override;
    QString describe() const override { return QStringLiteral("memory:") + m_address; }
    bool showsPresence() const override { return m_showsPresence; }
    // Makes it open as a serial line does, whether or not anything is on the other end.
    void setShowsPresence(bool shows) { m_showsPresence = shows; }

    QString address() const { return m_address; }
    QByteArray written() const { return m_written; }
    void clearWritten() { m_written.clear(); }

    // What the next open() answers (Opened unless set), e.g. Busy while "held elsewhere".
    void setOpenAnswer(OpenStatus status, const QString& reason = {});
    int openAttempts() const { return m_openAttempts; }
    // Bytes from the printer: arrive as dataReceived from the event loop.
    void feed(const QByteArray& bytes);
    // The link breaks: linkLost from the event loop, the transport is closed.
    void breakLink(const QString& reason);

    // The "memory" scheme for the registry; created transports are announced to the hook (a
    // test attaches its scripted printer there) and can be found by address.
    static void registerScheme();
    static void setCreatedHook(std::function<void(MemoryTransport*)> hook);
    static MemoryTransport* find(const QString& address);

Q_SIGNALS:
    void bytesWritten(const QByteArray& bytes);

private:
    QString m_address;
    QByteArray m_written;
    bool m_open = false;
    bool m_showsPresence = true;
    OpenStatus m_openAnswer = OpenStatus::Opened;
    QString m_openReason;
    int m_openAttempts = 0;
};

} // namespace device
