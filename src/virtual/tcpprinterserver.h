#pragma once

#include "virtualprinter.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <functional>

namespace virt {

// Serves a virtual printer on a raw TCP port (as printers do on 9100). Each connection is its own
// link to the same mechanism.
class TcpPrinterServer : public QObject {
    Q_OBJECT
public:
    explicit TcpPrinterServer(VirtualPrinter* printer, QObject* parent = nullptr);

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

    VirtualPrinter* m_printer;
    Listener m_server;
    int m_connections = 0;
};

} // namespace virt
