#include "virtualprinter.h"

#include "escpossession.h"

namespace virt {

VirtualPrinter::VirtualPrinter(const QString& name, const VirtualProfile& profile, QObject* parent)
    : QObject(parent), m_name(name), m_profile(profile), m_paper(profile.widthDots), m_glyphs(profile) {
    m_lastSensors = sensors();
    connect(&m_drawer, &VirtualDrawer::changed, this, [this] {
        const SensorState before = m_lastSensors;
        applySensors(before);
    });
    connect(&m_paper, &PaperRoll::receiptClosed, this, &VirtualPrinter::receiptClosed);
}

VirtualPrinter::~VirtualPrinter() {
    finish();
}

void VirtualPrinter::setCaptureFolder(const QString& path) {
    if (path.isEmpty()) {
        m_capture.reset();
        return;
    }
    m_capture = std::make_unique<CaptureFolder>(path);
    connect(m_capture.get(), &CaptureFolder::failed, this, [this](const QString& message) {
        if (m_problem.isEmpty())
            m_problem = message;
        Q_EMIT problemFound(message);
    });
}

SensorState VirtualPrinter::sensors() const {
    SensorState state;
    state.coverOpen = m_coverOpen;
    state.paper = m_paperLevel;
    state.pin3High = m_drawer.pin3High();
    return state;
}

void VirtualPrinter::applySensors(const SensorState& before) {
    const SensorState now = sensors();
    m_lastSensors = now;
    const quint8 items = StatusBytes::changedItems(before, now);
    if (!items)
        return;
    if (m_online) {
        for (const QPointer<EscPosSession>& session : m_sessions)
            if (session)
                session->sensorsChanged(items);
    } else {
        m_missedItems |= items; // told once the printer is back on line
    }
    Q_EMIT sensorsChanged();
}

void VirtualPrinter::setOnline(bool online) {
    if (m_online == online)
        return;
    m_online = online;
    if (online) {
        // Back on line: whoever watches the online state hears the current status once.
        const quint8 items = quint8(0x02 | m_missedItems);
        m_missedItems = 0;
        for (const QPointer<EscPosSession>& session : m_sessions)
            if (session)
                session->sensorsChanged(items);
    }
    Q_EMIT sensorsChanged();
}

void VirtualPrinter::setCoverOpen(bool open) {
    if (m_coverOpen == open)
        return;
    const SensorState before = sensors();
    m_coverOpen = open;
    applySensors(before);
}

void VirtualPrinter::setPaper(PaperLevel level) {
    if (m_paperLevel == level)
        return;
    const SensorState before = sensors();
    m_paperLevel = level;
    applySensors(before);
}

EscPosSession* VirtualPrinter::attach(std::function<void(const QByteArray&)> output) {
    auto* session = new EscPosSession(this, std::move(output), this);
    m_sessions.append(session);
    Q_EMIT linkAttached();
    return session;
}

void VirtualPrinter::detach(EscPosSession* session) {
    if (!session)
        return;
    session->finish();
    session->disconnectOutput();
    m_sessions.removeAll(session);
    session->deleteLater();
}

void VirtualPrinter::receive(EscPosSession* session, const QByteArray& bytes) {
    if (bytes.isEmpty() || !session)
        return;
    if (m_capture)
        m_capture->appendWire(bytes);
    if (!m_online) {
        m_wireLog.addCommand(WireLog::Direction::Received, bytes, QStringLiteral("dropped: printer offline"));
        return;
    }
    session->receive(bytes);
}

void VirtualPrinter::noteSent(const QByteArray& bytes) {
    // Replies tell themselves apart by their fixed bits; name them the way a reader parses them.
    const quint8 first = bytes.isEmpty() ? 0 : quint8(bytes.at(0));
    QString name = QStringLiteral("status");
    if (bytes.size() == 4 && (first & 0x93) == 0x10)
        name = QStringLiteral("automatic status back");
    else if (bytes.size() == 1 && (first & 0x93) == 0x12)
        name = QStringLiteral("real-time status (DLE EOT)");
    else if (first == 0x5F)
        name = QStringLiteral("printer information (GS I)");
    m_wireLog.addCommand(WireLog::Direction::Sent, bytes, name);
}

void VirtualPrinter::receiptClosed(const Receipt& receipt) {
    if (m_capture)
        m_capture->saveReceipt(receipt.image);
}

void VirtualPrinter::finish() {
    if (m_finished)
        return;
    m_finished = true;
    if (m_capture && !m_paper.isBlank()) {
        const QImage rest = m_paper.currentImage();
        if (!rest.isNull())
            m_capture->saveReceipt(rest);
    }
}

} // namespace virt
