#include "device/link/printerlink.h"

#include "device/devicelog.h"
#include "device/escpos/escposencoder.h"
#include "device/transport/transportfactory.h"

#include <QMap>
#include <QRandomGenerator>

#include <algorithm>

namespace device {

namespace {

// Unexpected bytes within one exchange that make a link count as not speaking ESC/POS: a stray
// byte at power-on or on a serial line is forgiven, a stream of noise is not.
constexpr int kGarbageBytes = 4;
// What is kept of what a device sent, to show it.
constexpr qsizetype kHeardBytes = 16;

QMap<QString, std::weak_ptr<PrinterLink>>& pool() {
    static QMap<QString, std::weak_ptr<PrinterLink>> links;
    return links;
}

QString poolKey(const QString& connection) {
    const qsizetype colon = connection.indexOf(u':');
    return connection.left(colon).toLower() + connection.mid(colon);
}

} // namespace

std::shared_ptr<PrinterLink> PrinterLink::obtain(const PrinterConfig& config, QString* error) {
    const QString key = poolKey(config.connection);
    if (std::shared_ptr<PrinterLink> link = pool().value(key).lock())
        return link;
    std::unique_ptr<Transport> transport =
        TransportFactory::create(config.connection, config.linkOptions, error);
    if (!transport)
        return nullptr;
    // Closed at once when the last control lets go (a device file must be free again), deleted
    // from the event loop because the release may come from inside one of its own callbacks.
    std::shared_ptr<PrinterLink> link(new PrinterLink(config, std::move(transport)), [](PrinterLink* l) {
        l->shutdown();
        l->deleteLater();
    });
    pool().insert(key, link);
    return link;
}

PrinterLink::PrinterLink(const PrinterConfig& config, std::unique_ptr<Transport> transport)
    : m_connection(config.connection), m_timings(config.timings), m_transport(std::move(transport)),
      m_configuredLevel(config.statusLevel), m_learnTag(QRandomGenerator::global()->generate()) {
    resetAnswers();
    m_openTimer.setSingleShot(true);
    m_replyTimer.setSingleShot(true);
    m_owedTimer.setSingleShot(true);
    connect(&m_owedTimer, &QTimer::timeout, this, &PrinterLink::schedulePump);
    connect(&m_statusPoll, &QTimer::timeout, this, &PrinterLink::pollStatus);
    connect(&m_openTimer, &QTimer::timeout, this, [this] {
        qCWarning(lcDevice) << m_connection << "did not open within" << m_timings.openTimeoutMs << "ms";
        m_transport->close();
        onOpenFinished(Transport::OpenStatus::Failed, QStringLiteral("no answer while opening"));
    });
    connect(&m_replyTimer, &QTimer::timeout, this, [this] {
        // A long job is still going to a printer that takes it as it prints: the time-out counts
        // from the last bytes it took, not from the start of the job.
        const qint64 waiting = m_transport->bytesToWrite();
        if (m_current && waiting > 0 && waiting < m_current->unsentAtLastCheck) {
            m_current->unsentAtLastCheck = waiting;
            m_replyTimer.start(m_current->timeoutMs);
            return;
        }
        if (m_current && waiting == 0 && probeWhilePrinting())
            return;
        if (m_current && waiting > 0 && probeWhileStuck())
            return;
        qCWarning(lcDevice) << m_connection << "gave no status reply within" << m_replyTimer.interval()
                            << "ms";
        finishCurrent(ExchangeOutcome::Result::TimedOut);
    });
    connect(m_transport.get(), &Transport::openFinished, this, &PrinterLink::onOpenFinished);
    connect(m_transport.get(), &Transport::dataReceived, this, &PrinterLink::onData);
    connect(m_transport.get(), &Transport::linkLost, this, &PrinterLink::onLinkLost);
}

PrinterLink::~PrinterLink() {
    shutdown();
}

void PrinterLink::shutdown() {
    if (!m_transport)
        return;
    failAll(ExchangeOutcome::Result::LinkDown);
    m_openTimer.stop();
    m_transport->disconnect(this);
    m_transport->close();
    m_users.clear();
    m_openWaiters.clear();
}

bool PrinterLink::isOpen() const {
    return m_transport && m_transport->isOpen() && !m_opening;
}

void PrinterLink::attach(const void* user, OpenCallback done) {
    if (isOpen()) {
        m_users.insert(user);
        done(Transport::OpenStatus::Opened, {});
        return;
    }
    m_openWaiters.append({user, std::move(done)});
    if (m_opening)
        return;
    m_opening = true;
    m_parser.reset();
    m_owed.clear();
    resetAnswers();
    m_openTimer.start(m_timings.openTimeoutMs);
    qCDebug(lcDevice) << "opening" << m_transport->describe();
    m_transport->open();
}

void PrinterLink::onOpenFinished(Transport::OpenStatus status, const QString& reason) {
    if (!m_opening)
        return;
    m_opening = false;
    m_openTimer.stop();
    qCDebug(lcDevice) << m_connection << "open:" << status << reason;
    if (const QString lost = std::exchange(m_lostWhileIdle, {});
        !lost.isEmpty() && status != Transport::OpenStatus::Opened) {
        qCWarning(lcDevice) << m_connection << "lost:" << lost << "- and cannot be opened again:" << reason;
        Q_EMIT linkLost(QStringLiteral("%1; opened again: %2").arg(lost, reason));
    }
    const auto waiters = std::exchange(m_openWaiters, {});
    for (const auto& [user, done] : waiters) {
        if (status == Transport::OpenStatus::Opened)
            m_users.insert(user);
        done(status, reason);
    }
    if (status == Transport::OpenStatus::Opened)
        schedulePump();
    else if (waiters.isEmpty())
        failAll(ExchangeOutcome::Result::LinkDown); // a reopen for queued exchanges failed
}

void PrinterLink::detach(const void* user) {
    m_users.remove(user);
    m_automaticUsers.remove(user);
    for (qsizetype i = m_openWaiters.size() - 1; i >= 0; --i)
        if (m_openWaiters.at(i).first == user)
            m_openWaiters.removeAt(i);
    if (m_claimOwner == user)
        m_claimOwner = nullptr;
    if (m_users.isEmpty() && m_openWaiters.isEmpty()) {
        failAll(ExchangeOutcome::Result::LinkDown);
        m_opening = false;
        m_openTimer.stop();
        if (m_transport->isOpen())
            qCDebug(lcDevice) << "closing" << m_transport->describe();
        m_transport->close();
        m_status = {};
    }
}

void PrinterLink::setAutomaticStatus(const void* user, bool on) {
    const bool wasOn = !m_automaticUsers.isEmpty();
    if (on)
        m_automaticUsers.insert(user);
    else
        m_automaticUsers.remove(user);
    if (wasOn && m_automaticUsers.isEmpty() && isOpen())
        exchange(EscPos::enableAutomaticStatus(0), {}, false, [](const ExchangeOutcome&) {});
    if (m_automaticUsers.isEmpty())
        m_statusPoll.stop();
    else if (!wasOn && m_answers)
        m_statusPoll.start(kStatusPollMs);
}

quint64 PrinterLink::exchange(const QByteArray& bytes, const QList<StatusQuery>& queries, bool abortOnFault,
                              ExchangeCallback done, int replyTimeoutMs, bool patient) {
    Exchange e;
    e.id = m_nextId++;
    e.bytes = bytes;
    e.queries = queries;
    e.replies = QList<int>(queries.size(), -1);
    e.texts = QList<QByteArray>(queries.size());
    e.patient = patient;
    e.abortOnFault = abortOnFault;
    e.timeoutMs = replyTimeoutMs > 0 ? replyTimeoutMs : m_timings.replyTimeoutMs;
    e.done = std::move(done);
    m_queue.push_back(std::move(e));
    schedulePump();
    return m_queue.back().id;
}

// An exchange of the link's own, impatient: first goes ahead of everything queued.
quint64 PrinterLink::queueExchange(const QByteArray& bytes, const QList<StatusQuery>& queries,
                                   ExchangeCallback done, bool first) {
    const quint64 id = exchange(bytes, queries, false, std::move(done), 0, false);
    if (first) {
        m_queue.push_front(std::move(m_queue.back()));
        m_queue.pop_back();
    }
    return id;
}

bool PrinterLink::showsPresence() const {
    return m_transport->showsPresence();
}

void PrinterLink::cancel(quint64 id) {
    if (m_current && m_current->id == id) {
        // Its replies may still come; let it run out, unheard.
        m_current->done = nullptr;
        return;
    }
    for (auto it = m_queue.begin(); it != m_queue.end(); ++it)
        if (it->id == id) {
            m_queue.erase(it);
            return;
        }
}

void PrinterLink::schedulePump() {
    if (m_pumpScheduled)
        return;
    m_pumpScheduled = true;
    QMetaObject::invokeMethod(this, &PrinterLink::pump, Qt::QueuedConnection);
}

void PrinterLink::pump() {
    m_pumpScheduled = false;
    if (m_current || m_queue.empty() || m_opening)
        return;
    if (!isOpen() && !m_users.isEmpty()) {
        // The printer dropped the connection (a network printer closes idle ones): open it again
        // for its users before the next exchange.
        reopen();
        return;
    }
    const QList<StatusQuery>& queries = m_queue.front().queries;
    const bool asksRealTime = std::any_of(queries.cbegin(), queries.cend(), [](const StatusQuery& q) {
        return q.kind == StatusQuery::Kind::RealTime;
    });
    if (const qint64 owedFor = m_owed.remainingMs(); owedFor > 0 && asksRealTime) {
        // Replies of an exchange that timed out may still come: a new request for real-time status
        // waits until they came or can be given up, so no reply is taken for another.
        m_owedTimer.start(int(qMin<qint64>(owedFor, m_timings.replyTimeoutMs)));
        return;
    }
    m_current = std::move(m_queue.front());
    m_queue.pop_front();
    if (!isOpen()) {
        finishCurrent(ExchangeOutcome::Result::LinkDown);
        return;
    }
    m_transport->write(m_current->bytes);
    if (!m_current)
        return; // the write itself lost the link, which finished this exchange
    if (m_current->queries.isEmpty()) {
        finishCurrent(ExchangeOutcome::Result::Answered);
        return;
    }
    m_current->unsentAtLastCheck = m_transport->bytesToWrite();
    m_replyTimer.start(m_current->timeoutMs);
}

void PrinterLink::finishCurrent(ExchangeOutcome::Result result) {
    m_replyTimer.stop();
    if (!m_current)
        return;
    Exchange done = std::move(*m_current);
    m_current.reset();
    // A reply still owed (to a timed-out request, or to a probe the job overtook) is passed over
    // when it comes.
    if (result == ExchangeOutcome::Result::TimedOut || result == ExchangeOutcome::Result::Answered) {
        int unanswered = 0;
        for (qsizetype i = 0; i < done.queries.size(); ++i)
            unanswered += done.queries.at(i).kind == StatusQuery::Kind::RealTime && done.replies.at(i) < 0;
        m_owed.add(unanswered, done.passedOver, done.timeoutMs);
    }
    schedulePump();
    if (!done.done)
        return;
    ExchangeOutcome outcome;
    outcome.result = result;
    for (int reply : done.replies) {
        outcome.replies.append(static_cast<quint8>(qMax(reply, 0)));
        outcome.answered.append(reply >= 0);
    }
    outcome.information = done.texts;
    // A reply begun and never ended by the time-out was none: what looked like its start was noise.
    outcome.noise =
        done.unexpected + (result == ExchangeOutcome::Result::TimedOut ? m_parser.unfinished() : 0);
    if (outcome.noise > 0) {
        m_heardNoise = done.heard;
        m_heardNoise.removeIf([](char c) { return c == 0x11 || c == 0x13; }); // XON, XOFF
    }
    done.done(outcome);
}

void PrinterLink::failAll(ExchangeOutcome::Result result) {
    std::deque<Exchange> pending = std::exchange(m_queue, {});
    finishCurrent(result);
    for (Exchange& e : pending) {
        if (!e.done)
            continue;
        ExchangeOutcome outcome;
        outcome.result = result;
        e.done(outcome);
    }
}

void PrinterLink::onData(const QByteArray& bytes) {
    if (m_current && m_current->heard.size() < kHeardBytes)
        m_current->heard += bytes.left(kHeardBytes - m_current->heard.size());
    PrinterStatus next = m_status;
    const QList<StatusMessage> messages = m_parser.feed(bytes);
    int unexpected = m_parser.lastNoise();
    for (const StatusMessage& message : messages) {
        // A GS I reply may be empty: the printer keeps no such text.
        const auto first = message.bytes.isEmpty() ? quint8(0) : static_cast<quint8>(message.bytes.at(0));
        switch (message.kind) {
        case StatusMessage::Kind::Automatic:
            // Only asked for, and never out of a chunk of noise, where four bytes can pass for one.
            if (!m_automaticUsers.isEmpty() && m_parser.lastNoise() == 0) {
                applyAutomatic(next, message.bytes);
                m_automaticSeen = true;
                if (m_answers)
                    m_answers->automatic = true;
            } else {
                unexpected += 4;
            }
            break;
        case StatusMessage::Kind::Information:
            // A name nobody asked for is let be, as a printer may send it late.
            answerCurrent(StatusQuery::Kind::Information, {}, 0, next, message.bytes);
            break;
        case StatusMessage::Kind::RealTime:
            if (m_owed.payOne()) {
                // Late, to an exchange that timed out: it says nothing about the running one.
                if (m_current)
                    ++m_current->passedOver;
                else if (m_owed.count() == 0 && m_owedTimer.isActive())
                    schedulePump(); // all paid: the waiting exchange can go
            } else if (!answerCurrent(StatusQuery::Kind::RealTime, {}, first, next)) {
                ++unexpected;
            }
            break;
        case StatusMessage::Kind::Transmit:
            if (!answerCurrent(StatusQuery::Kind::Transmit, {}, first, next))
                ++unexpected;
            break;
        case StatusMessage::Kind::Header:
            if (first == kProcessIdReply && message.bytes.size() == 5) {
                const QByteArray tag = message.bytes.mid(1);
                // The printer reached an ID written after every request owed so far: what it did
                // not answer by then it will never answer.
                if (answerCurrent(StatusQuery::Kind::ProcessId, tag, first, next))
                    m_owed.clear();
                Q_EMIT processIdDone(tag);
            } else if (first == kBuffersClearedReply) {
                if (answerCurrent(StatusQuery::Kind::BuffersCleared, {}, first, next))
                    m_owed.clear();
            }
            break;
        }
    }
    if (m_current)
        m_current->unexpected += unexpected;
    if (m_current && m_current->unexpected >= kGarbageBytes) {
        // A printer sends its replies and nothing else: this is some other device, or the line
        // runs at another speed. Nothing it said is taken as status.
        qCWarning(lcDevice) << m_connection << "answers, but not in ESC/POS";
        finishCurrent(ExchangeOutcome::Result::Garbled);
        return;
    }
    updateStatus(next);
    if (!m_current)
        return;
    if (currentAnswered())
        finishCurrent(ExchangeOutcome::Result::Answered);
    else if (m_current->abortOnFault && (m_status.coverOpen || m_status.paperEnd))
        finishCurrent(ExchangeOutcome::Result::Faulted);
}

// Gives a reply to the first open query of the running exchange that it answers. Status replies
// carry no name and are taken in order; a process ID answers only the query with its own tag, so
// one that comes after its time-out completes nothing.
bool PrinterLink::answerCurrent(StatusQuery::Kind kind, const QByteArray& tag, quint8 reply,
                                PrinterStatus& next, const QByteArray& text) {
    if (!m_current)
        return false; // an answer nobody waits for (late, after a time-out)
    for (qsizetype i = 0; i < m_current->queries.size(); ++i) {
        const StatusQuery& query = m_current->queries.at(i);
        if (query.kind != kind || m_current->replies.at(i) >= 0)
            continue;
        if (kind == StatusQuery::Kind::ProcessId && query.tag != tag)
            continue;
        m_current->replies[i] = reply;
        m_current->texts[i] = text;
        if (kind == StatusQuery::Kind::RealTime)
            applyRealTime(next, query.n, reply);
        else if (kind == StatusQuery::Kind::Transmit)
            applyTransmit(next, query.n, reply);
        return true;
    }
    return false;
}

// Every required query has its reply. In-order replies come in the order of their requests, so an
// optional query before an answered in-order one has had its chance.
bool PrinterLink::currentAnswered() const {
    for (qsizetype i = 0; i < m_current->queries.size(); ++i)
        if (m_current->replies.at(i) < 0 && !m_current->queries.at(i).optional)
            return false;
    return true;
}

void PrinterLink::updateStatus(const PrinterStatus& next) {
    if (next == m_status)
        return;
    m_status = next;
    Q_EMIT statusChanged(m_status);
}

void PrinterLink::reopen() {
    qCInfo(lcDevice) << "reopening" << m_transport->describe();
    // What answered before is asked again first: it may be another printer now.
    const bool relearn = m_answers.has_value() && !m_configuredLevel;
    m_opening = true;
    m_parser.reset();
    m_owed.clear();
    resetAnswers();
    if (relearn)
        startLearning(true);
    m_openTimer.start(m_timings.openTimeoutMs);
    m_transport->open();
}

void PrinterLink::onLinkLost(const QString& reason) {
    m_transport->close();
    const bool idle = !m_current && m_queue.empty() && m_transport->closesWhenIdle();
    failAll(ExchangeOutcome::Result::LinkDown);
    if (idle && !m_users.isEmpty() && !m_opening) {
        // A network printer closes a connection it has found idle for a while: it is opened again at
        // once, and only a reopen that fails says the link is lost.
        qCInfo(lcDevice) << m_connection << "closed while idle (" << reason << "); opening it again";
        m_lostWhileIdle = reason;
        reopen();
        return;
    }
    qCWarning(lcDevice) << m_connection << "lost:" << reason;
    Q_EMIT linkLost(reason);
}

} // namespace device
