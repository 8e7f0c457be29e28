#pragma once

#include "virtualprinter.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <functional>

namespace virt {

// Serves a virtual printer on a raw TCP port (as printers do on 9100), one client at a time as a
// printer's raw port does: the next connection waits in the listen backlog until the current client
// has sent its last byte (its data still prints, and its replies still go out, after that).
class TcpPrinterServer : public QObject {
    Q_OBJECT
public:
    explicit TcpPrinterServer(VirtualPrinter* printer, QObject* parent = nullptr);
    ~TcpPrinterServer() override;

    bool listen(const QHostAddress& address, quint16 port, QString* error);
    quint16 port() const { return m_server.serverPort(); }
    int connectionCount() const { return m_connections; }

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
    QList<qintptr> m_waiting; // accepted in a burst, not served yet
    bool m_serving = false;
};

} // namespace virt
