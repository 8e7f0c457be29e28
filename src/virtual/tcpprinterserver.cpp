#include "tcpprinterserver.h"

#include "tcpprinterconnection.h"

#include <unistd.h>

namespace virt {

namespace {
constexpr qsizetype kMaxWaiting = 256;
} // namespace

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

// Clients beyond the one being served wait here, unread, as in a printer's listen backlog; past
// kMaxWaiting the kernel's own backlog holds the rest.
void TcpPrinterServer::accept(qintptr descriptor) {
    m_waiting.append(descriptor);
    if (m_waiting.size() >= kMaxWaiting)
        m_server.pauseAccepting();
    serveNext();
}

void TcpPrinterServer::serveNext() {
    if (m_waiting.size() < kMaxWaiting)
        m_server.resumeAccepting();
    if (m_serving || m_waiting.isEmpty())
        return;
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
