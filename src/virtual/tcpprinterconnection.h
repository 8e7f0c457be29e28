#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>

namespace virt {

class EscPosSession;
class VirtualPrinter;

// One TCP connection to the virtual printer, on the bare socket: reads only what the session's
// receive buffer takes (the rest waits in the socket, whose window closes, as a printer's does),
// and keeps answering after the client has shut down its sending side, until everything it sent
// is processed and every reply is out. A socket layer that closes on end of input would lose the
// replies of a client that sends a request and then half-closes. A client that sends nothing for
// the idle time-out while nothing it sent waits to print is closed.
class TcpPrinterConnection : public QObject {
    Q_OBJECT
public:
    // Takes ownership of the connected socket descriptor; idleTimeoutMs 0 never closes it for idling.
    TcpPrinterConnection(VirtualPrinter* printer, qintptr descriptor, int idleTimeoutMs,
                         QObject* parent = nullptr);
    ~TcpPrinterConnection() override;

Q_SIGNALS:
    void closed(); // the port can take the next client

private:
    void readAvailable();
    void idleTimedOut();
    void send(const QByteArray& bytes);
    void writePending();
    void closeIfDone();
    void close();

    VirtualPrinter* m_printer;
    QPointer<EscPosSession> m_session;
    int m_fd;
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    QByteArray m_outbox;
    bool m_inputEnded = false;
    int m_idleChecks = 0;
    QTimer m_drainCheck; // after end of input: is everything processed and answered?
    QTimer m_idle;       // restarts with every byte received
};

} // namespace virt
