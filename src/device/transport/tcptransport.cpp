#include "device/transport/tcptransport.h"

#include "device/devicelog.h"

#include <QTimer>

namespace device {

bool TcpTransport::parseAddress(const QString& address, QString* host, quint16* port) {
    QString text = address.trimmed();
    while (text.endsWith(u'/'))
        text.chop(1);
    QString portText;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close < 0)
            return false;
        *host = text.mid(1, close - 1);
        if (text.mid(close + 1).startsWith(u':'))
            portText = text.mid(close + 2);
    } else {
        const qsizetype colon = text.lastIndexOf(u':');
        *host = colon < 0 ? text : text.left(colon);
        if (colon >= 0)
            portText = text.mid(colon + 1);
    }
    *port = 9100;
    if (!portText.isEmpty()) {
        bool ok = false;
        const uint number = portText.toUInt(&ok);
        if (!ok || number == 0 || number > 65535)
            return false;
        *port = static_cast<quint16>(number);
    }
    return !host->isEmpty();
}

TcpTransport::TcpTransport(const QString& address, QObject* parent) : Transport(parent), m_address(address) {
    m_valid = parseAddress(address, &m_host, &m_port);
    connect(&m_socket, &QTcpSocket::connected, this, [this] {
        m_opening = false;
        Q_EMIT openFinished(OpenStatus::Opened, {});
    });
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] { Q_EMIT dataReceived(m_socket.readAll()); });
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TcpTransport::onError);
    connect(&m_socket, &QTcpSocket::disconnected, this, [this] {
        if (!m_opening && !m_closing)
            Q_EMIT linkLost(QStringLiteral("the printer closed the connection"));
    });
}

void TcpTransport::open() {
    if (!m_valid) {
        QTimer::singleShot(0, this, [this] {
            Q_EMIT openFinished(OpenStatus::Failed, QStringLiteral("\"%1\" is no host:port").arg(m_address));
        });
        return;
    }
    m_opening = true;
    m_socket.abort();
    m_socket.connectToHost(m_host, m_port);
}

void TcpTransport::onError(QAbstractSocket::SocketError error) {
    if (m_closing)
        return;
    const QString reason = m_socket.errorString();
    if (m_opening) {
        m_opening = false;
        // A raw port serves one client at a time: a refusal usually means another one has it.
        const OpenStatus status =
            error == QAbstractSocket::ConnectionRefusedError ? OpenStatus::Busy : OpenStatus::Failed;
        Q_EMIT openFinished(status, reason);
        return;
    }
    if (error != QAbstractSocket::RemoteHostClosedError)
        Q_EMIT linkLost(reason);
}

void TcpTransport::close() {
    // Aborting emits disconnected; a close asked for is no lost link.
    m_closing = true;
    m_opening = false;
    m_socket.abort();
    m_closing = false;
}

bool TcpTransport::isOpen() const {
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

void TcpTransport::write(const QByteArray& bytes) {
    if (isOpen())
        m_socket.write(bytes);
}

QString TcpTransport::describe() const {
    return QStringLiteral("tcp://%1:%2").arg(m_host).arg(m_port);
}

} // namespace device
