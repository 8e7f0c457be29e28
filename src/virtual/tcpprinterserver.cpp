#include "tcpprinterserver.h"

#include "escpossession.h"

#include <QPointer>
#include <QTcpSocket>

namespace virt {

namespace {
constexpr qint64 kSocketReadBuffer = 4096;
} // namespace

TcpPrinterServer::TcpPrinterServer(VirtualPrinter* printer, QObject* parent)
    : QObject(parent), m_printer(printer) {
    connect(&m_server, &QTcpServer::newConnection, this, &TcpPrinterServer::accept);
}

bool TcpPrinterServer::listen(const QHostAddress& address, quint16 port, QString* error) {
    if (m_server.listen(address, port))
        return true;
    if (error)
        *error = m_server.errorString();
    return false;
}

void TcpPrinterServer::accept() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        QPointer<QTcpSocket> guard(socket);
        EscPosSession* session = m_printer->attach([guard](const QByteArray& bytes) {
            if (guard)
                guard->write(bytes);
        });
        ++m_connections;
        Q_EMIT connectionsChanged(m_connections);
        // Read only what the receive buffer takes; the rest stays in the socket, whose window
        // closes when the small read buffer is full.
        socket->setReadBufferSize(kSocketReadBuffer);
        auto take = [this, socket, link = QPointer<EscPosSession>(session)] {
            while (link && link->freeSpace() > 0 && socket->bytesAvailable() > 0)
                m_printer->receive(link, socket->read(link->freeSpace()));
        };
        connect(socket, &QTcpSocket::readyRead, this, take);
        connect(session, &EscPosSession::spaceFreed, socket, take);
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, session] {
            m_printer->detach(session);
            --m_connections;
            Q_EMIT connectionsChanged(m_connections);
            socket->deleteLater();
        });
    }
}

} // namespace virt
