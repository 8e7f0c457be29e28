#include "tcpprinterserver.h"

#include "tcpprinterconnection.h"

#include <unistd.h>

namespace virt {

TcpPrinterServer::TcpPrinterServer(VirtualPrinter* printer, QObject* parent)
    : QObject(parent), m_printer(printer) {
    m_server.take = [this](qintptr descriptor) { accept(descriptor); };
}

TcpPrinterServer::~TcpPrinterServer() {
    for (qintptr descriptor : std::as_const(m_waiting))
        ::close(int(descriptor));
}

bool TcpPrinterServer::listen(const QHostAddress& address, quint16 port, QString* error) {
    if (m_server.listen(address, port))
        return true;
    if (error)
        *error = m_server.errorString();
    return false;
}

// The listener may accept more than one connection in a burst; those wait here, unread, as they
// would in the backlog, and further ones stay in the backlog.
void TcpPrinterServer::accept(qintptr descriptor) {
    m_server.pauseAccepting();
    m_waiting.append(descriptor);
    serveNext();
}

void TcpPrinterServer::serveNext() {
    if (m_serving || m_waiting.isEmpty()) {
        if (!m_serving)
            m_server.resumeAccepting();
        return;
    }
    m_serving = true;
    auto* connection = new TcpPrinterConnection(m_printer, m_waiting.takeFirst(), this);
    ++m_connections;
    Q_EMIT connectionsChanged(m_connections);
    connect(connection, &TcpPrinterConnection::inputEnded, this, [this] {
        m_serving = false;
        serveNext();
    });
    connect(connection, &TcpPrinterConnection::closed, this, [this] {
        --m_connections;
        Q_EMIT connectionsChanged(m_connections);
    });
}

} // namespace virt
