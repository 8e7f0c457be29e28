#include "virtualtransport.h"

#include "escpossession.h"
#include "virtualprinterhub.h"

namespace virt {

VirtualTransport::VirtualTransport(const QString& name, const QMap<QString, QString>& options,
                                   QObject* parent)
    : device::Transport(parent), m_name(name), m_options(options) {}

VirtualTransport::~VirtualTransport() {
    close();
}

void VirtualTransport::open() {
    if (!m_session) {
        // An entry without answers= is a printer that answers everything, whatever an earlier link
        // to the same name asked for.
        QMap<QString, QString> options = m_options;
        if (!options.contains(QStringLiteral("answers")))
            options.insert(QStringLiteral("answers"), ReplyPersonality::full().id);
        const QString refused = VirtualPrinterHub::refusal(options);
        if (!refused.isEmpty()) {
            QMetaObject::invokeMethod(
                this, [this, refused] { Q_EMIT openFinished(OpenStatus::Failed, refused); },
                Qt::QueuedConnection);
            return;
        }
        m_printer = VirtualPrinterHub::instance()->printer(m_name, options);
        QPointer<VirtualTransport> self(this);
        m_session = m_printer->attach([self](const QByteArray& bytes) {
            if (self)
                Q_EMIT self->dataReceived(bytes);
        });
        connect(m_session, &EscPosSession::spaceFreed, this, &VirtualTransport::flush);
        VirtualPrinterHub::instance()->noteOpened(m_printer);
    }
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT openFinished(OpenStatus::Opened, QString()); }, Qt::QueuedConnection);
}

void VirtualTransport::close() {
    if (m_printer && m_session)
        m_printer->detach(m_session);
    m_session = nullptr;
    m_pending.clear();
}

void VirtualTransport::write(const QByteArray& bytes) {
    if (!m_session || !m_printer) {
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT linkLost(QStringLiteral("%1 is not open").arg(describe())); },
            Qt::QueuedConnection);
        return;
    }
    // A host may send real-time requests past a busy printer; they never wait behind data.
    if ((!m_pending.isEmpty() || m_session->freeSpace() < bytes.size()) &&
        ReceiveBuffer::isRealtimeOnly(bytes)) {
        m_printer->receiveRealtime(m_session, bytes);
        return;
    }
    m_pending += bytes;
    flush();
}

void VirtualTransport::flush() {
    if (!m_session || !m_printer || m_pending.isEmpty())
        return;
    const qsizetype taken = m_printer->receive(m_session, m_pending);
    m_pending.remove(0, taken);
}

} // namespace virt
