#pragma once

#include "virtualprinter.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

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
    void accept();

    VirtualPrinter* m_printer;
    QTcpServer m_server;
    int m_connections = 0;
};

} // namespace virt
