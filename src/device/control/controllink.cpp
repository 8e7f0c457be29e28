#include "device/control/controllink.h"

#include <QHash>

#include "opos/problemnote.h"

#include "device/control/syncwait.h"
#include "device/devicelog.h"

namespace device {

namespace {

// A little over the link's own time-out, so the link reports first and this only guards a bug.
constexpr int kWaitMarginMs = 1000;

} // namespace

std::shared_ptr<PrinterLink> obtainLink(const PrinterConfig& printer, const QString& deviceName) {
    QString error;
    std::shared_ptr<PrinterLink> link = PrinterLink::obtain(printer, &error);
    if (!link)
        logOpenRefused(deviceName, error);
    return link;
}

void logOpenRefused(const QString& deviceName, const QString& reason) {
    qCWarning(lcDevice).noquote() << "Open" << deviceName << "refused:" << reason;
    opos::noteProblem(reason);
}

void releaseLink(std::shared_ptr<PrinterLink>& link, QObject* user) {
    link->disconnect(user);
    link->detach(user);
    link.reset();
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
