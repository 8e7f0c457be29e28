#include "device/transport/serialtransport.h"

#include "device/devicelog.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrlQuery>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace device {

SerialTransport::SerialTransport(const QString& address, const QMap<QString, QString>& options,
                                 QObject* parent)
    : Transport(parent),
      m_stall(options, [this] { lose(QStringLiteral("%1 accepts no more data").arg(m_path)); }) {
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
    connect(&m_port, &QSerialPort::bytesWritten, this,
            [this] { m_stall.update(true, m_port.bytesToWrite()); });
    connect(&m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        // A port that was pulled out or hung up fails its next read or write; which error that
        // is depends on the errno the port driver left (a hung-up line reads nothing at all).
        const bool gone = error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                          error == QSerialPort::WriteError || error == QSerialPort::DeviceNotFoundError;
        if (gone && m_port.isOpen() && !m_closing)
            lose(QStringLiteral("%1: %2").arg(m_path, m_port.errorString()));
    });
}

SerialTransport::~SerialTransport() {
    close();
}

void SerialTransport::open() {
    close();
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
    QString reason;
    OpenStatus status = lock(&reason);
    if (status == OpenStatus::Opened && !m_port.open(QIODevice::ReadWrite)) {
        // The port exists and we may use it: a refusal now means another program has it.
        status = m_port.error() == QSerialPort::PermissionError ? OpenStatus::Busy : OpenStatus::Failed;
        reason = m_port.errorString();
        close();
    }
    QTimer::singleShot(0, this, [this, status, reason] { Q_EMIT openFinished(status, reason); });
}

// Locks the device before the port touches it, so a port another program holds keeps its
// settings. The port's own lock file names the path it was opened by, and its exclusive mode does
// not hold against root: the lock of a device file is the one every program sees.
Transport::OpenStatus SerialTransport::lock(QString* reason) {
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        *reason = QStringLiteral("%1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(error)));
        return error == EBUSY ? OpenStatus::Busy : OpenStatus::Failed;
    }
    const OpenStatus status = lockDeviceFile(fd, m_path, reason);
    if (status == OpenStatus::Opened)
        m_lockFd = fd;
    return status;
}

void SerialTransport::close() {
    m_stall.stop();
    // Closing a hung-up port fails to restore its settings; that is no news.
    m_closing = true;
    if (m_port.isOpen()) {
        // Output the port did not take is dropped with what waits in the kernel, or the close
        // would wait for a stuck line to drain it.
        if (m_port.bytesToWrite() > 0)
            ::tcflush(int(m_port.handle()), TCOFLUSH);
        m_port.close();
    }
    m_closing = false;
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}

void SerialTransport::write(const QByteArray& bytes) {
    if (!m_port.isOpen())
        return;
    m_port.write(bytes);
    m_stall.update(false, m_port.bytesToWrite());
}

void SerialTransport::lose(const QString& reason) {
    if (m_port.isOpen())
        ::tcflush(int(m_port.handle()), TCOFLUSH); // nobody waits for it any more
    close();
    Q_EMIT linkLost(reason);
}

} // namespace device
