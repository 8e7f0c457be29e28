#include "device/transport/memorytransport.h"

#include "device/transport/transportfactory.h"

#include <QTimer>

namespace device {

namespace {

QMap<QString, QPointer<MemoryTransport>>& instances() {
    static QMap<QString, QPointer<MemoryTransport>> map;
    return map;
}

std::function<void(MemoryTransport*)>& createdHook() {
    static std::function<void(MemoryTransport*)> hook;
    return hook;
}

} // namespace

MemoryTransport::MemoryTransport(const QString& address, QObject* parent)
    : Transport(parent), m_address(address) {
    instances().insert(address, this);
}

MemoryTransport::~MemoryTransport() {
    if (instances().value(m_address) == this)
        instances().remove(m_address);
}

void MemoryTransport::open() {
    ++m_openAttempts;
    const OpenStatus answer = m_openAnswer;
    const QString reason = m_openReason;
    QTimer::singleShot(0, this, [this, answer, reason] {
        m_open = answer == OpenStatus::Opened;
        Q_EMIT openFinished(answer, reason);
    });
}

void MemoryTransport::close() {
    m_open = false;
}

void MemoryTransport::write(const QByteArray& bytes) {
    if (!m_open)
        return;
    m_written += bytes;
    QTimer::singleShot(0, this, [this, bytes] { Q_EMIT bytesWritten(bytes); });
}

void MemoryTransport::setOpenAnswer(OpenStatus status, const QString& reason) {
    m_openAnswer = status;
    m_openReason = reason;
}

void MemoryTransport::feed(const QByteArray& bytes) {
    QTimer::singleShot(0, this, [this, bytes] {
        if (m_open)
            Q_EMIT dataReceived(bytes);
    });
}

void MemoryTransport::breakLink(const QString& reason) {
    QTimer::singleShot(0, this, [this, reason] {
        m_open = false;
        Q_EMIT linkLost(reason);
    });
}

void MemoryTransport::registerScheme() {
    TransportFactory::registerScheme(QStringLiteral("memory"),
                                     [](const QString& address, const QMap<QString, QString>&, QString*) {
                                         auto transport = std::make_unique<MemoryTransport>(address);
                                         if (createdHook())
                                             createdHook()(transport.get());
                                         return std::unique_ptr<Transport>(std::move(transport));
                                     });
}

void MemoryTransport::setCreatedHook(std::function<void(MemoryTransport*)> hook) {
    createdHook() = std::move(hook);
}

MemoryTransport* MemoryTransport::find(const QString& address) {
    return instances().value(address);
}

} // namespace device
