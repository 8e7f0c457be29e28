#include "statusreplies.h"

#include "framebytes.h"
#include "virtualprofile.h"

namespace virt {

StatusReplies::StatusReplies(PrinterMechanism* printer, Output output, QObject* context)
    : m_printer(printer), m_output(std::move(output)), m_context(context) {}

void StatusReplies::send(ReplyKind kind, const QByteArray& bytes) {
    if (bytes.isEmpty() || !m_printer->isOnline() || !m_printer->personality().answers(kind))
        return;
    m_printer->noteSent(bytes);
    QMetaObject::invokeMethod(
        m_context,
        [this, bytes] {
            if (m_output)
                m_output(bytes);
        },
        Qt::QueuedConnection);
}

void StatusReplies::setAutomatic(quint8 mask) {
    m_asbMask = mask;
    if (m_asbMask)
        send(ReplyKind::Automatic, StatusBytes::automatic(m_printer->sensors()));
}

void StatusReplies::sensorsChanged(quint8 items) {
    if (m_asbMask & items)
        send(ReplyKind::Automatic, StatusBytes::automatic(m_printer->sensors()));
}

void StatusReplies::realtime(int n) {
    send(ReplyKind::Realtime, StatusBytes::realtime(m_printer->sensors(), n));
}

void StatusReplies::transmit(int n) {
    send(ReplyKind::Transmit, StatusBytes::transmit(m_printer->sensors(), n));
}

void StatusReplies::peripheralStatus(int n) {
    if (selector(n) == 0)
        transmit(2);
}

void StatusReplies::printerInfo(int n) {
    const VirtualProfile& profile = m_printer->profile();
    auto text = [](const QString& value) { return QByteArray("_") + value.toLatin1() + QByteArray(1, '\0'); };
    QByteArray reply;
    switch (n) {
    case 1:
    case 49:
        reply = QByteArray(1, char(0x20));
        break;
    case 2:
    case 50:
        reply = QByteArray(1, char(0x02)); // autocutter, no multi-byte characters
        break;
    case 3:
    case 51:
        reply = QByteArray(1, char(0x0A));
        break;
    case 65:
        reply = text(QStringLiteral("1.00"));
        break;
    case 66:
        reply = text(QStringLiteral("Posling"));
        break;
    case 67:
        reply = text(profile.modelName);
        break;
    case 68:
        reply =
            text(QStringLiteral("VP%1").arg(qHash(m_printer->name()) % 100000000, 8, 10, QLatin1Char('0')));
        break;
    case 69:
        reply = text(QStringLiteral("PC437"));
        break;
    default:
        break;
    }
    send(ReplyKind::PrinterInfo, reply);
}

// Reached in order, so the reply says everything before it has printed.
void StatusReplies::processDone(const QByteArray& frame) {
    if (frame.size() != 11 || u8(frame, 5) != 48 || u8(frame, 6) != 48)
        return;
    const QByteArray id = frame.mid(7, 4);
    for (char c : id)
        if (quint8(c) < 0x20 || quint8(c) > 0x7E)
            return;
    send(ReplyKind::ProcessId, QByteArray::fromHex("3722") + id + QByteArray(1, '\0'));
}

void StatusReplies::buffersCleared() {
    send(ReplyKind::BufferClear, QByteArray::fromHex("372500"));
}

} // namespace virt
