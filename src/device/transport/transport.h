#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace device {

// A byte link to a printer. Transports never block the thread: they are event-driven, and every
// outcome arrives as a signal (possibly emitted before the call that caused it returns, so connect
// first). Constructors do no I/O.
class Transport : public QObject {
    Q_OBJECT
public:
    enum class OpenStatus {
        Opened, // the link is ours
        Busy,   // held by someone else: worth retrying until the claim time-out
        Failed  // absent, refused or misconfigured: retrying will not help
    };
    Q_ENUM(OpenStatus)

    using QObject::QObject;
    ~Transport() override = default;

    // Starts taking the link exclusively; the answer is openFinished.
    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Queues bytes for the printer; a failure is reported through linkLost.
    virtual void write(const QByteArray& bytes) = 0;
    // What the link is, for logs ("tcp://10.0.0.5:9100").
    virtual QString describe() const = 0;
    // Bytes written but not yet taken by the printer (it takes them as its buffer has room).
    virtual qint64 bytesToWrite() const { return 0; }
    // Whether an open link shows that something is there to take the bytes: an accepted network
    // connection or an opened device file does; a serial line takes bytes with nothing on it.
    virtual bool showsPresence() const { return true; }
    // Whether the far end closes a connection it finds idle (network printers do after minutes):
    // such a close is no fault, and the link is opened again at once.
    virtual bool closesWhenIdle() const { return false; }

Q_SIGNALS:
    void openFinished(device::Transport::OpenStatus status, const QString& reason);
    void dataReceived(const QByteArray& bytes);
    void linkLost(const QString& reason);
};

} // namespace device
