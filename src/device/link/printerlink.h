#pragma once

#include "device/link/owedreplies.h"
#include "device/link/printeranswers.h"
#include "device/link/printerstatus.h"
#include "device/registry/deviceconfig.h"
#include "device/transport/transport.h"

#include <QObject>
#include <QSet>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace device {

// A status request inside the bytes of an exchange, in the order the printer answers it.
struct StatusQuery {
    enum class Kind {
        RealTime,       // DLE EOT n: answered at once, even offline
        Transmit,       // GS r n: answered in order, after everything written before it
        ProcessId,      // GS ( H with tag: answered in order, naming itself
        BuffersCleared, // DLE DC4 fn 8: answered at once
        Information     // GS I n (65..69): a text, answered in order
    };
    StatusQuery(Kind kind = Kind::RealTime, int n = 1) : kind(kind), n(n) {}
    static StatusQuery processId(const QByteArray& tag, bool optional = false) {
        StatusQuery query(Kind::ProcessId, 0);
        query.tag = tag;
        query.optional = optional;
        return query;
    }

    static StatusQuery information(int n) {
        StatusQuery query(Kind::Information, n);
        query.optional = true;
        return query;
    }

    Kind kind = Kind::RealTime;
    int n = 1;
    QByteArray tag;        // ProcessId: the four characters the reply must carry
    bool optional = false; // the exchange may finish without it (a printer that may not know it)
};

struct ExchangeOutcome {
    enum class Result {
        Answered, // every query got its reply
        TimedOut, // the printer stayed silent
        Faulted,  // cover opened or paper ran out while waiting
        LinkDown, // no connection
        Garbled   // what came back is not ESC/POS (a wrong device, or the wrong baud rate)
    };
    Result result = Result::Answered;
    QList<quint8> replies;         // in query order; 0 for an optional query left unanswered
    QList<bool> answered;          // in query order: whether the query got its reply
    QList<QByteArray> information; // in query order: the text of an answered information query
    int noise = 0;                 // bytes that came while it ran and were no reply
};

// One connection to one printer, shared by every control that reaches it (the cash drawer hangs
// on its printer's connection). It opens the transport for its first user and closes it after the
// last, works through exchanges one at a time (write, then wait for the replies to the status
// requests written), and keeps the printer's status current from replies and automatic status.
class PrinterLink : public QObject {
    Q_OBJECT
public:
    using OpenCallback = std::function<void(Transport::OpenStatus status, const QString& reason)>;
    using ExchangeCallback = std::function<void(const ExchangeOutcome& outcome)>;

    // The link of a connection, made on first use; nothing with the reason for a bad connection.
    static std::shared_ptr<PrinterLink> obtain(const PrinterConfig& config, QString* error);
    ~PrinterLink() override;

    QString connection() const { return m_connection; }
    const LinkTimings& timings() const { return m_timings; }

    // Adds a user and opens the connection if it is not open; done gets the outcome, possibly
    // before attach returns. A user that is refused is not attached.
    void attach(const void* user, OpenCallback done);
    void detach(const void* user);
    bool isAttached(const void* user) const { return m_users.contains(user); }
    bool isOpen() const;

    // The printer control that holds the claim (exclusive use among the controls of this program).
    const void* claimOwner() const { return m_claimOwner; }
    void setClaimOwner(const void* owner) { m_claimOwner = owner; }

    // Queues an exchange. done runs from the event loop, never inside this call. Its replies may
    // take replyTimeoutMs, the link's reply time-out when 0; a patient exchange waiting for an
    // in-order reply gets more time while the printer says it is printing.
    quint64 exchange(const QByteArray& bytes, const QList<StatusQuery>& queries, bool abortOnFault,
                     ExchangeCallback done, int replyTimeoutMs = 0, bool patient = true);
    void cancel(quint64 id); // its callback will not run
    // Exchanges not finished yet, the running one included: each may take the reply time-out.
    qsizetype pendingExchanges() const { return qsizetype(m_queue.size()) + (m_current ? 1 : 0); }

    // Automatic status back is wanted while any user has it on: the user writes GS a itself when
    // it turns it on (within its own exchange); the link turns it off after the last user.
    void setAutomaticStatus(const void* user, bool on);

    PrinterStatus status() const { return m_status; }

    // What the printer answers: unknown until learnt, and again after every reopen (it may be
    // another printer, or one just switched on). A level in the registry entry stands instead.
    const std::optional<PrinterAnswers>& answers() const { return m_answers; }
    using LearnCallback = std::function<void(ExchangeOutcome::Result result)>;
    // Learns what the printer answers, once per open, within one reply time-out: real-time status,
    // GS r, process IDs, its identity and, for users that turned it on, automatic status. done runs
    // from the event loop once answers() is known, or with the result that kept it unknown
    // (LinkDown, Garbled). A reopen for queued exchanges learns again before they go.
    void learnAnswers(LearnCallback done);
    std::optional<bool> knowsProcessIds() const {
        return m_answers ? std::optional<bool>(m_answers->level() == StatusLevel::ProcessIds) : std::nullopt;
    }
    // How often a printer that sends no automatic status is asked for its status while idle.
    static constexpr int kStatusPollMs = 1000;

    // The first bytes heard in the last exchange that brought bytes that were no reply.
    QByteArray heardNoise() const { return m_heardNoise; }

    // Whether an open connection shows that a printer is there (a serial line takes bytes with
    // nothing on it).
    bool showsPresence() const;

Q_SIGNALS:
    void statusChanged(const device::PrinterStatus& status);
    // Every process ID the printer reports done, asked for or not (a late one included).
    void processIdDone(const QByteArray& tag);
    void linkLost(const QString& reason);

private:
    struct Exchange {
        quint64 id = 0;
        QByteArray bytes;
        QList<StatusQuery> queries;
        QList<int> replies; // -1 until answered
        bool abortOnFault = false;
        int passedOver = 0;           // owed real-time replies that came while it ran
        int unexpected = 0;           // bytes that were no status and replies nobody asked for
        qint64 unsentAtLastCheck = 0; // bytes the printer had still to take when the timer last ran
        int probes = 0;               // real-time requests sent while waiting for the job to print
        bool stuckProbed = false;     // asked, past a full buffer, why the printer takes nothing
        int timeoutMs = 0;
        bool patient = true;
        QList<QByteArray> texts; // answers of information queries
        QByteArray heard;        // the first bytes that came while it ran
        ExchangeCallback done;
    };

    PrinterLink(const PrinterConfig& config, std::unique_ptr<Transport> transport);
    void shutdown();
    void onOpenFinished(Transport::OpenStatus status, const QString& reason);
    void onData(const QByteArray& bytes);
    void onLinkLost(const QString& reason);
    void schedulePump();
    void pump();
    void reopen();
    void finishCurrent(ExchangeOutcome::Result result);
    void failAll(ExchangeOutcome::Result result);
    void updateStatus(const PrinterStatus& next);
    bool answerCurrent(StatusQuery::Kind kind, const QByteArray& tag, quint8 reply, PrinterStatus& next,
                       const QByteArray& text = {});
    bool currentAnswered() const;
    bool probeWhilePrinting();
    bool probeWhileStuck();
    // How the link learns what the printer answers (printerlink_answers.cpp).
    void startLearning(bool first);
    void onLevelLearnt(const ExchangeOutcome& outcome);
    void askIdentity(PrinterAnswers answers, int n);
    void finishLearning(ExchangeOutcome::Result result, const std::optional<PrinterAnswers>& answers);
    void resetAnswers();
    void pollStatus();
    quint64 queueExchange(const QByteArray& bytes, const QList<StatusQuery>& queries, ExchangeCallback done,
                          bool first);

    QString m_connection;
    LinkTimings m_timings;
    std::unique_ptr<Transport> m_transport;
    bool m_opening = false;
    QList<std::pair<const void*, OpenCallback>> m_openWaiters;
    QTimer m_openTimer;
    QSet<const void*> m_users;
    QSet<const void*> m_automaticUsers;
    const void* m_claimOwner = nullptr;

    std::deque<Exchange> m_queue;
    std::optional<Exchange> m_current;
    QTimer m_replyTimer;
    QTimer m_owedTimer; // the next exchange waits for owed replies until then
    bool m_pumpScheduled = false;
    quint64 m_nextId = 1;

    StatusParser m_parser;
    OwedReplies m_owed;
    PrinterStatus m_status;
    std::optional<StatusLevel> m_configuredLevel;
    std::optional<PrinterAnswers> m_answers;
    QList<LearnCallback> m_learners; // waiting for the answers
    bool m_learning = false;
    QTimer m_statusPoll;
    bool m_polling = false;
    QByteArray m_heardNoise;
    QString m_lostWhileIdle;      // why the link closed while idle, until it is open again
    bool m_automaticSeen = false; // since the link opened
    quint32 m_learnTag = 0;
};

} // namespace device
