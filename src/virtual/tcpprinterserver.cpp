#include "tcpprinterserver.h"

#include "tcpprinterconnection.h"

namespace virt {

TcpPrinterServer::TcpPrinterServer(VirtualPrinter* printer, QObject* parent)
    : QObject(parent), m_printer(printer) {
    m_server.take = [this](qintptr descriptor) { accept(descriptor); };
}

bool TcpPrinterServer::listen(const QHostAddress& address, quint16 port, QString* error) {
    if (m_server.listen(address, port))
        return true;
    if (error)
        *error = m_server.errorString();
    return false;
}

void TcpPrinterServer::accept(qintptr descriptor) {
    auto* connection = new TcpPrinterConnection(m_printer, descriptor, this);
    ++m_connections;
    Q_EMIT connectionsChanged(m_connections);
    connect(connection, &TcpPrinterConnection::closed, this, [this] {
        --m_connections;
        Q_EMIT connectionsChanged(m_connections);
    });
}

} // namespace virt
