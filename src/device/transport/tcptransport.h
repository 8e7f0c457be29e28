#pragma once

#include "device/transport/transport.h"

#include <QTcpSocket>

namespace device {

// A network printer on its raw port ("tcp://host:9100"; the port defaults to 9100).
class TcpTransport : public Transport {
    Q_OBJECT
public:
    explicit TcpTransport(const QString& address, QObject* parent = nullptr);

    void open() override;
    void close() override;
    bool isOpen() const override;
    void write(const QByteArray& bytes) override;
    QString describe() const override;
    qint64 bytesToWrite() const override { return m_socket.bytesToWrite(); }
    bool closesWhenIdle() const override { return true; }

    // "host:port", "host", "[::1]:9100"; false when the port is not a number.
    static bool parseAddress(const QString& address, QString* host, quint16* port);

private:
    void onError(QAbstractSocket::SocketError error);

    QString m_address;
    QString m_host;
    quint16 m_port = 9100;
    bool m_valid = false;
    bool m_opening = false;
    bool m_closing = false;
    QTcpSocket m_socket;
};

} // namespace device
