#pragma once

#include "virtualprinter.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <functional>

namespace virt {

// Serves a virtual printer on a raw TCP port (as printers do on 9100), one client at a time as a
// printer's raw port does: the next connection waits in the listen backlog (its connect succeeds,
// nothing it sends is read, its status requests get no reply) until the current one has closed; then
// it is served and what it sent prints. A client that sends nothing for the idle time-out is closed,
// as network printers close an idle connection, so one forgotten client cannot hold the port.
class TcpPrinterServer : public QObject {
    Q_OBJECT
public:
    // Network printers and print servers close an idle raw connection after one to five minutes.
    static constexpr int kDefaultIdleTimeoutMs = 5 * 60 * 1000;

    explicit TcpPrinterServer(VirtualPrinter* printer, QObject* parent = nullptr);
    ~TcpPrinterServer() override;

    bool listen(const QHostAddress& address, quint16 port, QString* error);
    quint16 port() const { return m_server.serverPort(); }
    int connectionCount() const { return m_connections; }
    // How long the client served may send nothing before it is closed; 0 never closes it. Applies to
    // the connections served from now on.
    void setIdleTimeout(int ms) { m_idleTimeoutMs = qMax(0, ms); }
    int idleTimeout() const { return m_idleTimeoutMs; }

Q_SIGNALS:
    void connectionsChanged(int count);

private:
    // Hands over the bare descriptor of each connection instead of a QTcpSocket.
    class Listener : public QTcpServer {
    public:
        std::function<void(qintptr)> take;

    protected:
        void incomingConnection(qintptr descriptor) override { take(descriptor); }
    };
    void accept(qintptr descriptor);
    void serveNext();

    VirtualPrinter* m_printer;
    Listener m_server;
    int m_connections = 0;
    int m_idleTimeoutMs = kDefaultIdleTimeoutMs;
    QList<qintptr> m_waiting; // accepted in one burst with the one served, not served yet
    bool m_serving = false;
};

} // namespace virt
