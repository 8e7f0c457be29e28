#include "device/control/controllink.h"

#include "device/control/syncwait.h"
#include "device/devicelog.h"

#include <QDeadlineTimer>
#include <QHash>

namespace device {

namespace {

// A little over the link's own time-out, so the link reports first and this only guards a bug.
constexpr int kWaitMarginMs = 1000;

} // namespace

void releaseLink(std::shared_ptr<PrinterLink>& link, QObject* user) {
    link->disconnect(user);
    link->detach(user);
    link.reset();
}

Outcome claimLink(PrinterLink& link, const void* owner, int waitMs, const QString& connection) {
    const LinkTimings& t = link.timings();
    const QDeadlineTimer deadline(waitMs);
    const auto pause = [&] {
        waitUntil([] { return false; },
                  static_cast<int>(qMin<qint64>(t.retryIntervalMs, deadline.remainingTime())));
    };
    for (;;) {
        if (link.claimOwner() && link.claimOwner() != owner) {
            // Another control of this program holds it.
            if (deadline.hasExpired())
                return opos::OPOS_E_TIMEOUT;
            pause();
            continue;
        }
        const std::optional<OpenAnswer> answer = attachAndWait(link, owner);
        if (!answer)
            return opos::OPOS_E_NOHARDWARE;
        const auto& [status, reason] = *answer;
        if (status == Transport::OpenStatus::Opened) {
            link.setClaimOwner(owner);
            return opos::OPOS_SUCCESS;
        }
        if (status == Transport::OpenStatus::Failed) {
            qCWarning(lcDevice).noquote() << "Claim: cannot open" << connection << "-" << reason;
            return Outcome(opos::OPOS_E_NOHARDWARE)
                .because(QStringLiteral("%1 cannot be opened: %2").arg(connection, reason));
        }
        qCDebug(lcDevice).noquote() << "Claim:" << connection << "is busy -" << reason;
        if (deadline.hasExpired())
            return Outcome(opos::OPOS_E_TIMEOUT)
                .because(QStringLiteral("%1 stayed busy (%2): another program or host may be using it, "
                                        "or it is switched off")
                             .arg(connection, reason));
        pause();
    }
}

std::optional<OpenAnswer> attachAndWait(PrinterLink& link, const void* user) {
    // Shared, as the answer may come after the wait gave up.
    auto answer = std::make_shared<std::optional<OpenAnswer>>();
    link.attach(user, [answer](Transport::OpenStatus status, const QString& reason) {
        *answer = OpenAnswer{status, reason};
    });
    if (!waitUntil([&] { return answer->has_value(); },
                   saturatedMs(qint64(link.timings().openTimeoutMs) + kWaitMarginMs))) {
        link.detach(user);
        return std::nullopt;
    }
    return *answer;
}

std::optional<ExchangeOutcome> exchangeAndWait(PrinterLink& link, const QByteArray& bytes,
                                               const QList<StatusQuery>& queries) {
    auto answer = std::make_shared<std::optional<ExchangeOutcome>>();
    const quint64 id =
        link.exchange(bytes, queries, false, [answer](const ExchangeOutcome& outcome) { *answer = outcome; });
    // Exchanges of the other controls on this connection (a printer's queued output) go first;
    // each is bounded by the reply time-out on its own.
    const qint64 budget = qint64(link.pendingExchanges()) * link.timings().replyTimeoutMs + kWaitMarginMs;
    if (!waitUntil([&] { return answer->has_value(); }, saturatedMs(budget))) {
        link.cancel(id); // its callback will not run
        return std::nullopt;
    }
    return *answer;
}

ExchangeOutcome::Result learnAndWait(PrinterLink& link) {
    auto result = std::make_shared<std::optional<ExchangeOutcome::Result>>();
    link.learnAnswers([result](ExchangeOutcome::Result r) { *result = r; });
    // The level, then up to four names, each bounded by the reply time-out; the margin guards a bug.
    const qint64 budget = 5 * qint64(link.timings().replyTimeoutMs) +
                          qint64(link.pendingExchanges()) * link.timings().replyTimeoutMs + kWaitMarginMs;
    if (!waitUntil([&] { return result->has_value(); }, saturatedMs(budget)))
        return ExchangeOutcome::Result::TimedOut;
    return **result;
}

Outcome learnBeforeEnable(PrinterLink& link, const QString& connection) {
    switch (learnAndWait(link)) {
    case ExchangeOutcome::Result::Answered:
        break;
    case ExchangeOutcome::Result::Garbled:
        return Outcome(opos::OPOS_E_NOHARDWARE)
            .because(QStringLiteral("%1 answers, but not in ESC/POS (another device, or another baud rate?)")
                         .arg(connection));
    default:
        return Outcome(opos::OPOS_E_NOHARDWARE)
            .because(QStringLiteral("%1 is not reachable").arg(connection));
    }
    const PrinterAnswers& answers = *link.answers();
    if (answers.level() == StatusLevel::None && !answers.configured && !link.showsPresence())
        return Outcome(opos::OPOS_E_NOHARDWARE)
            .because(
                QStringLiteral("nothing answers on %1: a serial line takes bytes with no printer on it, so "
                               "a printer there that answers nothing needs status=none in its entry")
                    .arg(connection));
    return Outcome(opos::OPOS_SUCCESS).because(answers.advice());
}

StatisticsEquipment equipmentOf(const PrinterConfig& printer) {
    const QString scheme = printer.connection.section(QLatin1Char(':'), 0, 0).toLower();
    static const QHash<QString, QString> interfaces{{QStringLiteral("tcp"), QStringLiteral("TCP")},
                                                    {QStringLiteral("serial"), QStringLiteral("RS232")},
                                                    {QStringLiteral("file"), QStringLiteral("USB")},
                                                    {QStringLiteral("virtual"), QStringLiteral("Virtual")}};
    StatisticsEquipment equipment;
    equipment.model = printer.profile.description;
    equipment.interfaceName = interfaces.value(scheme, scheme);
    return equipment;
}

} // namespace device
