#pragma once

#include "device/transport/filetransport.h"
#include "device/transport/transport.h"

#include <QMap>
#include <QSerialPort>

namespace device {

// A printer on a serial port ("serial:/dev/ttyUSB0?baud=19200&flow=rtscts"). Settings come from
// the query or from the registry entry (baud, data_bits, parity, stop_bits, flow); 9600 8N1 with
// hardware flow control unless told otherwise. Like a device file it is locked exclusively (flock),
// so another program holding the port makes it busy, and its waiting output is bounded.
class SerialTransport : public Transport {
    Q_OBJECT
public:
    SerialTransport(const QString& address, const QMap<QString, QString>& options, QObject* parent = nullptr);
    ~SerialTransport() override;

    void open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    void write(const QByteArray& bytes) override;
    QString describe() const override { return QStringLiteral("serial:") + m_path; }
    qint64 bytesToWrite() const override { return m_port.bytesToWrite(); }
    bool showsPresence() const override { return false; }

    bool settingsValid() const { return m_problem.isEmpty(); }
    QString settingsProblem() const { return m_problem; }

private:
    OpenStatus lock(QString* reason);
    void lose(const QString& reason);

    QString m_path;
    QString m_problem;
    QSerialPort m_port;
    int m_lockFd = -1; // holds the device's lock while the port is open
    bool m_closing = false;
    WriteStallWatch m_stall;
};

} // namespace device
