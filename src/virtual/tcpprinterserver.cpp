#include "tcpprinterserver.h"

#include "tcpprinterconnection.h"

#include <limits>

#include <unistd.h>

namespace virt {

namespace {
// One wake-up of the listening socket accepts every connection the backlog holds at that moment;
// with this many waiting here the server accepts no more until some have been served.
constexpr qsizetype kMaxWaiting = 256;
} // namespace

TcpPrinterServer::TcpPrinterServer(VirtualPrinter* printer, QObject* parent)
    : QObject(parent), m_printer(printer) {
    m_server.take = [this](qintptr descriptor) { accept(descriptor); };
    // As deep as the system allows: the kernel cuts the backlog down to its own limit (somaxconn).
    m_server.setListenBacklogSize(std::numeric_limits<int>::max());
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

// Clients beyond the one served wait unread, as in a printer's listen backlog: while one is served
// the server accepts no more, so the kernel holds them; those accepted in the same burst wait here.
void TcpPrinterServer::accept(qintptr descriptor) {
    m_waiting.append(descriptor);
    if (m_waiting.size() >= kMaxWaiting)
        m_server.pauseAccepting();
    serveNext();
}

void TcpPrinterServer::serveNext() {
    if (m_serving)
        return;
    if (m_waiting.isEmpty()) {
        m_server.resumeAccepting();
        return;
    }
    m_serving = true;
    m_server.pauseAccepting();
    auto* connection = new TcpPrinterConnection(m_printer, m_waiting.takeFirst(), m_idleTimeoutMs, this);
    ++m_connections;
    Q_EMIT connectionsChanged(m_connections);
    connect(connection, &TcpPrinterConnection::closed, this, [this] {
        --m_connections;
        Q_EMIT connectionsChanged(m_connections);
        m_serving = false;
        serveNext();
    });
}

} // namespace virt
