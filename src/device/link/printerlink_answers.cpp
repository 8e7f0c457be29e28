// What a printer link's printer answers: how the link learns it, and how it asks for status where
// the printer sends none by itself.
//
// One exchange asks for real-time status
// (DLE EOT 1, 2, 4), a process ID (GS ( H) and in-order status (GS r 1) behind it: real-time
// replies come at once, the process ID's before the GS r reply when the printer knows it, and a
// printer that ignores GS r costs one reply time-out. A printer that answers in order then names
// itself (GS I 65 to 68), each request fenced by a GS r of its own, as the names carry no number.
#include "device/link/printerlink.h"

#include "device/devicelog.h"
#include "device/escpos/escposencoder.h"

#include <QPointer>

#include <iterator>

namespace device {

namespace {

constexpr int kFirstIdentityRequest = 65; // firmware, then maker, model and serial number

} // namespace

void PrinterLink::resetAnswers() {
    m_automaticSeen = false;
    if (m_configuredLevel)
        m_answers = PrinterAnswers::atLevel(*m_configuredLevel);
    else
        m_answers.reset();
}

void PrinterLink::learnAnswers(LearnCallback done) {
    if (m_answers) {
        QMetaObject::invokeMethod(
            this, [done = std::move(done)] { done(ExchangeOutcome::Result::Answered); },
            Qt::QueuedConnection);
        return;
    }
    m_learners.append(std::move(done));
    if (!m_learning)
        startLearning(false);
}

void PrinterLink::startLearning(bool first) {
    m_learning = true;
    // Four characters from 21h to 7Eh, as the output queue's, from a start of their own.
    quint32 n = m_learnTag++;
    QByteArray tag(4, '!');
    for (char& c : tag) {
        c = char(0x21 + n % 94);
        n /= 94;
    }
    QByteArray bytes;
    QList<StatusQuery> queries;
    for (const int realTime : {1, 2, 4}) {
        bytes += EscPos::realtimeStatus(realTime);
        StatusQuery query(StatusQuery::Kind::RealTime, realTime);
        query.optional = true;
        queries << query;
    }
    bytes += EscPos::processId(tag);
    queries << StatusQuery::processId(tag, true);
    bytes += EscPos::transmitStatus(1);
    queries << StatusQuery(StatusQuery::Kind::Transmit, 1);
    QPointer<PrinterLink> self(this);
    queueExchange(
        bytes, queries,
        [self](const ExchangeOutcome& outcome) {
            if (self)
                self->onLevelLearnt(outcome);
        },
        first);
}

void PrinterLink::onLevelLearnt(const ExchangeOutcome& outcome) {
    if (outcome.result != ExchangeOutcome::Result::Answered &&
        outcome.result != ExchangeOutcome::Result::TimedOut) {
        finishLearning(outcome.result, std::nullopt);
        return;
    }
    PrinterAnswers answers;
    const auto answered = [&](int i) { return outcome.answered.value(i); };
    // What came was no reply to anything asked: not a printer that answers nothing, but some
    // other device, or a line at another speed.
    if (outcome.noise > 0 && !outcome.answered.contains(true)) {
        finishLearning(ExchangeOutcome::Result::Garbled, std::nullopt);
        return;
    }
    answers.realTime = answered(0) || answered(1) || answered(2);
    answers.processIds = answered(3);
    answers.inOrder = answered(4);
    if (!answers.inOrder) {
        finishLearning(ExchangeOutcome::Result::Answered, answers);
        return;
    }
    askIdentity(answers, kFirstIdentityRequest);
}

void PrinterLink::askIdentity(PrinterAnswers answers, int n) {
    QPointer<PrinterLink> self(this);
    queueExchange(
        EscPos::printerInformation(n) + EscPos::transmitStatus(1),
        {StatusQuery::information(n), StatusQuery(StatusQuery::Kind::Transmit, 1)},
        [self, answers, n](const ExchangeOutcome& outcome) mutable {
            if (!self)
                return;
            if (outcome.result == ExchangeOutcome::Result::LinkDown) {
                self->finishLearning(outcome.result, std::nullopt);
                return;
            }
            const QString text = shownDeviceText(outcome.information.value(0)).trimmed();
            QString* fields[] = {&answers.identity.firmware, &answers.identity.maker, &answers.identity.model,
                                 &answers.identity.serial};
            *fields[n - kFirstIdentityRequest] = text;
            if (n + 1 < kFirstIdentityRequest + int(std::size(fields)))
                self->askIdentity(answers, n + 1);
            else
                self->finishLearning(ExchangeOutcome::Result::Answered, answers);
        },
        true);
}

// A printer that answers real-time status but sends no automatic status is asked while the link is
// idle, for the users that turned automatic status on: its cover, paper and drawer changes still
// reach them, a poll a second.
void PrinterLink::pollStatus() {
    const bool wanted = !m_automaticUsers.isEmpty() && m_answers && m_answers->realTime &&
                        !m_answers->automatic && !m_answers->configured && isOpen();
    if (!wanted) {
        m_statusPoll.stop();
        return;
    }
    if (!m_statusPoll.isActive())
        m_statusPoll.start(kStatusPollMs);
    if (m_current || !m_queue.empty() || m_polling)
        return;
    m_polling = true;
    QPointer<PrinterLink> self(this);
    QList<StatusQuery> queries;
    QByteArray bytes;
    for (const int n : {1, 2, 4}) {
        bytes += EscPos::realtimeStatus(n);
        queries << StatusQuery(StatusQuery::Kind::RealTime, n);
    }
    exchange(
        bytes, queries, false,
        [self](const ExchangeOutcome&) {
            if (self)
                self->m_polling = false;
        },
        qMin(kStatusPollMs, m_timings.replyTimeoutMs), false);
}

void PrinterLink::finishLearning(ExchangeOutcome::Result result,
                                 const std::optional<PrinterAnswers>& answers) {
    m_learning = false;
    if (answers && !m_answers) {
        m_answers = answers;
        m_answers->automatic = m_automaticSeen;
        qCInfo(lcDevice).noquote() << m_connection << "answers" << m_answers->summary();
        // The first poll waits a second, by when a printer that sends automatic status has sent it.
        m_statusPoll.start(kStatusPollMs);
    }
    for (const LearnCallback& done : std::exchange(m_learners, {}))
        done(m_answers ? ExchangeOutcome::Result::Answered : result);
}

} // namespace device
