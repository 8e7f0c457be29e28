#include "device/transport/serialtransport.h"

#include "device/devicelog.h"

#include <QFileInfo>
#include <QTimer>
#include <QUrlQuery>

namespace device {

SerialTransport::SerialTransport(const QString& address, const QMap<QString, QString>& options,
                                 QObject* parent)
    : Transport(parent) {
    const qsizetype question = address.indexOf(u'?');
    m_path = question < 0 ? address : address.left(question);
    QMap<QString, QString> settings = options;
    if (question >= 0)
        for (const auto& [key, value] : QUrlQuery(address.mid(question + 1)).queryItems())
            settings.insert(key.toLower(), value);

    bool ok = true;
    const int baud = settings.value(QStringLiteral("baud"), QStringLiteral("9600")).toInt(&ok);
    if (!ok || baud <= 0)
        m_problem = QStringLiteral("baud must be a positive number");
    m_port.setBaudRate(baud);
    const int dataBits = settings.value(QStringLiteral("data_bits"), QStringLiteral("8")).toInt(&ok);
    if (!ok || dataBits < 5 || dataBits > 8)
        m_problem = QStringLiteral("data_bits must be 5 to 8");
    else
        m_port.setDataBits(static_cast<QSerialPort::DataBits>(dataBits));
    const QString parity = settings.value(QStringLiteral("parity"), QStringLiteral("none")).toLower();
    if (parity == QLatin1String("none"))
        m_port.setParity(QSerialPort::NoParity);
    else if (parity == QLatin1String("even"))
        m_port.setParity(QSerialPort::EvenParity);
    else if (parity == QLatin1String("odd"))
        m_port.setParity(QSerialPort::OddParity);
    else
        m_problem = QStringLiteral("parity must be none, even or odd");
    const QString stop = settings.value(QStringLiteral("stop_bits"), QStringLiteral("1"));
    if (stop == QLatin1String("1"))
        m_port.setStopBits(QSerialPort::OneStop);
    else if (stop == QLatin1String("2"))
        m_port.setStopBits(QSerialPort::TwoStop);
    else
        m_problem = QStringLiteral("stop_bits must be 1 or 2");
    const QString flow = settings.value(QStringLiteral("flow"), QStringLiteral("rtscts")).toLower();
    if (flow == QLatin1String("rtscts"))
        m_port.setFlowControl(QSerialPort::HardwareControl);
    else if (flow == QLatin1String("xonxoff"))
        m_port.setFlowControl(QSerialPort::SoftwareControl);
    else if (flow == QLatin1String("none"))
        m_port.setFlowControl(QSerialPort::NoFlowControl);
    else
        m_problem = QStringLiteral("flow must be rtscts, xonxoff or none");
    m_port.setPortName(m_path);

    connect(&m_port, &QSerialPort::readyRead, this, [this] { Q_EMIT dataReceived(m_port.readAll()); });
    connect(&m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ResourceError && m_port.isOpen()) {
            const QString reason = m_port.errorString();
            m_port.close();
            Q_EMIT linkLost(reason);
        }
    });
}

void SerialTransport::open() {
    if (!m_problem.isEmpty()) {
        QTimer::singleShot(0, this, [this] { Q_EMIT openFinished(OpenStatus::Failed, m_problem); });
        return;
    }
    const QFileInfo device(m_path);
    if (!device.exists() || !device.isReadable() || !device.isWritable()) {
        const QString reason = device.exists() ? QStringLiteral("%1: permission denied").arg(m_path)
                                               : QStringLiteral("%1 does not exist").arg(m_path);
        QTimer::singleShot(0, this, [this, reason] { Q_EMIT openFinished(OpenStatus::Failed, reason); });
        return;
    }
    // The port exists and we may use it: a refusal now means another program has it.
    const bool opened = m_port.open(QIODevice::ReadWrite);
    const OpenStatus status = opened                                           ? OpenStatus::Opened
                              : m_port.error() == QSerialPort::PermissionError ? OpenStatus::Busy
                                                                               : OpenStatus::Failed;
    const QString reason = opened ? QString() : m_port.errorString();
    QTimer::singleShot(0, this, [this, status, reason] { Q_EMIT openFinished(status, reason); });
}

void SerialTransport::close() {
    if (m_port.isOpen())
        m_port.close();
}

void SerialTransport::write(const QByteArray& bytes) {
    if (m_port.isOpen())
        m_port.write(bytes);
}

} // namespace device
