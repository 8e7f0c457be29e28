#include "tcpprinterserver.h"

#include "escpossession.h"

#include <QPointer>
#include <QTcpSocket>

namespace virt {

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
        connect(socket, &QTcpSocket::readyRead, this,
                [this, socket, session] { m_printer->receive(session, socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, session] {
            m_printer->detach(session);
            --m_connections;
            Q_EMIT connectionsChanged(m_connections);
            socket->deleteLater();
        });
    }
}

} // namespace virt
