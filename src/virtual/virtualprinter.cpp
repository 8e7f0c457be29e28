#include "virtualprinter.h"

#include "escpossession.h"
#include "paperdots.h"

namespace virt {

VirtualPrinter::VirtualPrinter(const QString& name, const VirtualProfile& profile, QObject* parent)
    : QObject(parent), m_name(name), m_profile(profile), m_paper(profile.widthDots), m_glyphs(profile) {
    m_lastSensors = sensors();
    connect(&m_drawer, &VirtualDrawer::changed, this, [this] {
        const SensorState before = m_lastSensors;
        applySensors(before);
    });
    connect(&m_paper, &PaperRoll::receiptClosed, this, &VirtualPrinter::receiptClosed);
    m_stepTimer.setSingleShot(true);
    connect(&m_stepTimer, &QTimer::timeout, this, &VirtualPrinter::headFinished);
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
    if (before.paper != PaperLevel::Out && now.paper == PaperLevel::Out)
        loseLineInHead();
    schedule();
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
    schedule();
    Q_EMIT sensorsChanged();
}

void VirtualPrinter::setPersonality(const ReplyPersonality& personality) {
    if (m_personality.id == personality.id)
        return;
    m_personality = personality;
    Q_EMIT personalityChanged();
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
    auto* session = new EscPosSession(this, std::move(output), ++m_linksAttached, this);
    m_sessions.append(session);
    Q_EMIT linkAttached();
    return session;
}

void VirtualPrinter::detach(EscPosSession* session) {
    if (!session)
        return;
    session->disconnectOutput();
    dropClosedSessions(); // one with data left goes once that has printed
}

void VirtualPrinter::dropClosedSessions() {
    for (qsizetype i = m_sessions.size() - 1; i >= 0; --i) {
        EscPosSession* session = m_sessions.at(i);
        if (session && !(session->isClosing() && session->buffered() == 0))
            continue;
        m_sessions.removeAt(i);
        if (session) {
            session->finish();
            session->deleteLater();
        }
    }
}

qsizetype VirtualPrinter::receive(EscPosSession* session, const QByteArray& bytes) {
    if (bytes.isEmpty() || !session)
        return 0;
    const qsizetype taken = session->receive(bytes);
    if (taken > 0) {
        if (m_capture)
            m_capture->appendWire(bytes.left(taken));
        Q_EMIT bufferChanged();
        schedule();
    }
    return taken;
}

void VirtualPrinter::receiveRealtime(EscPosSession* session, const QByteArray& bytes) {
    if (bytes.isEmpty() || !session)
        return;
    if (m_capture)
        m_capture->appendWire(bytes);
    session->receiveRealtime(bytes);
}

void VirtualPrinter::clearBuffers(EscPosSession* session) {
    session->clearBuffers();
    buffersCleared();
}

void VirtualPrinter::buffersCleared() {
    m_wireLog.addCommand(WireLog::Direction::Received, QByteArray(),
                         QStringLiteral("receive and print buffers cleared"));
    Q_EMIT bufferChanged();
}

void VirtualPrinter::setDotLinesPerSecond(int rate) {
    m_dotLinesPerSecond = qMax(0, rate);
}

qsizetype VirtualPrinter::bufferedBytes() const {
    qsizetype total = 0;
    for (const QPointer<EscPosSession>& session : m_sessions)
        if (session)
            total += session->buffered();
    return total;
}

bool VirtualPrinter::isPrinting() const {
    return m_stepTimer.isActive() || (canPrint() && bufferedBytes() > 0);
}

void VirtualPrinter::schedule() {
    if (!m_stepTimer.isActive() && canPrint() && bufferedBytes() > 0)
        m_stepTimer.start(0);
}

void VirtualPrinter::headFinished() {
    m_head = LineInHead();
    step();
}

// One paper motion of one link, then the event loop runs (operator actions land between lines);
// the next step waits as long as the motion takes at the chosen speed.
void VirtualPrinter::step() {
    // A closed link's data arrived before anything a newer link sent: it prints first.
    qsizetype closed = -1;
    for (qsizetype i = 0; i < m_sessions.size() && closed < 0; ++i)
        if (m_sessions.at(i) && m_sessions.at(i)->isClosing() && m_sessions.at(i)->buffered() > 0)
            closed = i;
    for (qsizetype tried = 0; tried < m_sessions.size() && canPrint(); ++tried) {
        const qsizetype index = closed >= 0 ? closed : (m_nextSession + tried) % m_sessions.size();
        EscPosSession* session = m_sessions.at(index);
        if (!session || session->buffered() == 0)
            continue;
        m_nextSession = int((index + 1) % m_sessions.size());
        const int dots = session->processStep();
        closed = -1;
        Q_EMIT bufferChanged();
        if (dots > 0) {
            dropClosedSessions();
            m_stepTimer.start(m_dotLinesPerSecond > 0 ? dots * 1000 / m_dotLinesPerSecond : 0);
            return;
        }
    }
    dropClosedSessions();
    schedule();
}

void VirtualPrinter::notePrinting(int top, int height, const QString& text) {
    m_head = LineInHead{!text.isEmpty(), top, height, text};
}

// The paper ran out under the head: the line it was printing never reaches the customer.
void VirtualPrinter::loseLineInHead() {
    if (!m_head.active || !m_stepTimer.isActive())
        return;
    if (m_paper.eraseLine(m_head.top, m_head.height, m_head.text))
        m_wireLog.addCommand(
            WireLog::Direction::Received, QByteArray(),
            QStringLiteral("paper ran out while printing \"%1\": that line is lost").arg(m_head.text));
    m_head = LineInHead();
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
    else if (bytes.startsWith("\x37\x22"))
        name = QStringLiteral("process ID done (GS ( H)");
    else if (bytes.startsWith("\x37\x25"))
        name = QStringLiteral("buffers cleared (DLE DC4 fn 8)");
    m_wireLog.addCommand(WireLog::Direction::Sent, bytes, name);
}

void VirtualPrinter::receiptClosed(const Receipt& receipt) {
    if (!m_capture)
        return;
    if (const QString path = m_capture->saveReceipt(receipt.image); !path.isEmpty())
        Q_EMIT receiptSaved(path, receipt);
}

void VirtualPrinter::finish() {
    if (m_finished)
        return;
    m_finished = true;
    // Blank paper left between the head and the blade after the last cut is no receipt.
    if (m_capture && !m_paper.isBlank() &&
        (!m_paper.currentLines().isEmpty() || hasDots(m_paper.currentImage()))) {
        Receipt rest;
        rest.number = m_paper.receiptsCut() + 1;
        rest.image = m_paper.currentImage();
        rest.lines = m_paper.currentLines();
        rest.bands = m_paper.currentBands();
        if (!rest.image.isNull())
            receiptClosed(rest);
    }
}

} // namespace virt
