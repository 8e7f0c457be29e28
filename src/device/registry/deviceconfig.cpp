#include "device/registry/deviceconfig.h"

#include "device/transport/transportfactory.h"
#include "opos/editdistance.h"
#include "opos/oposconstants.h"

#include <QStringList>

#include <algorithm>
#include <limits>

namespace device {

namespace {

bool isClass(const DeviceEntry& entry, const char* name) {
    return entry.deviceClass().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

template <typename Config> Resolution<Config> refuse(qint32 code, const QString& reason) {
    Resolution<Config> r;
    r.code = code;
    r.reason = reason;
    return r;
}

// Longer waits for one reply or one open are a typing error, not a slow printer.
constexpr int kMaxWaitMs = 600000;

// A positive millisecond option; false with a reason when it is malformed.
bool readPositive(const DeviceEntry& entry, const QString& key, int* target, QString* why, int minimum = 1,
                  int maximum = std::numeric_limits<int>::max()) {
    const std::optional<int> value = entry.intValue(key, *target);
    if (!value || *value < minimum || *value > maximum) {
        *why = QStringLiteral("entry \"%1\": %2=\"%3\" is not a number from %4 to %5")
                   .arg(entry.name, key, entry.value(key))
                   .arg(minimum)
                   .arg(maximum);
        return false;
    }
    *target = *value;
    return true;
}

std::optional<PrinterConfig> printerFrom(const DeviceRegistry& registry, const DeviceEntry& entry,
                                         QString* why) {
    PrinterConfig config;
    config.name = entry.name;
    config.connection = entry.value(QStringLiteral("connection")).trimmed();
    if (config.connection.isEmpty()) {
        *why = QStringLiteral("entry \"%1\" names no connection").arg(entry.name);
        return std::nullopt;
    }
    if (!TransportFactory::knowsSchemeOf(config.connection)) {
        *why = QStringLiteral("entry \"%1\": connection \"%2\" has no known scheme")
                   .arg(entry.name, config.connection);
        return std::nullopt;
    }
    const QString profileId = entry.value(QStringLiteral("profile"), QStringLiteral("80mm")).trimmed();
    const std::optional<PrinterProfile> profile = PrinterProfile::byId(profileId);
    if (!profile) {
        *why = QStringLiteral("entry \"%1\": unknown profile \"%2\" (known: %3)")
                   .arg(entry.name, profileId, PrinterProfile::knownIds().join(QStringLiteral(", ")));
        return std::nullopt;
    }
    config.profile = *profile;
    LinkTimings& t = config.timings;
    if (!readPositive(entry, QStringLiteral("timeout"), &t.replyTimeoutMs, why, 1, kMaxWaitMs) ||
        !readPositive(entry, QStringLiteral("open_timeout"), &t.openTimeoutMs, why, 1, kMaxWaitMs) ||
        !readPositive(entry, QStringLiteral("retry_interval"), &t.retryIntervalMs, why, 1, kMaxWaitMs) ||
        !readPositive(entry, QStringLiteral("forever_cap"), &t.foreverCapMs, why))
        return std::nullopt;
    const QString status = entry.value(QStringLiteral("status"));
    if (!parseStatusLevel(status, &config.statusLevel)) {
        *why = QStringLiteral("entry \"%1\": status=\"%2\" is none of auto, none, realtime, gsr, all")
                   .arg(entry.name, status);
        return std::nullopt;
    }
    config.linkOptions = registry.linkOptions(entry);
    return config;
}

// The keys each class of entry knows; the virtual printer's keys among them.
const QStringList& keysOf(const char* deviceClass) {
    static const QStringList printer{"class",          "connection",  "profile", "timeout",   "open_timeout",
                                     "retry_interval", "forever_cap", "status",  "capture",   "answers",
                                     "baud",           "data_bits",   "parity",  "stop_bits", "flow"};
    static const QStringList drawer{"class",     "printer",    "pin",        "pulse_on",
                                    "pulse_off", "open_level", "close_delay"};
    return qstrcmp(deviceClass, "CashDrawer") == 0 ? drawer : printer;
}

// A key the entry's class does not know is a typing error that would otherwise pass unseen
// (profle=58mm leaves the default profile in force); the reason names the nearest known key.
QString unknownKeyOf(const DeviceEntry& entry, const char* deviceClass) {
    const QStringList& known = keysOf(deviceClass);
    for (auto it = entry.options.cbegin(); it != entry.options.cend(); ++it) {
        if (known.contains(it.key(), Qt::CaseInsensitive))
            continue;
        const auto nearest =
            std::min_element(known.cbegin(), known.cend(), [&](const QString& x, const QString& y) {
                return opos::editDistance(it.key().toLower(), x) < opos::editDistance(it.key().toLower(), y);
            });
        return QStringLiteral("entry \"%1\": unknown key \"%2\" (did you mean \"%3\"?)")
            .arg(entry.name, it.key(), *nearest);
    }
    return {};
}

// The one lookup of a logical name, whatever the device class: the registry must be readable, the
// entry there, sound and of the class asked for; build then makes the class's config of it, or says
// why it cannot.
template <typename Config, typename Build>
Resolution<Config> resolve(const DeviceRegistry& registry, const QString& name, const char* deviceClass,
                           Build&& build) {
    if (!registry.problem().isEmpty())
        return refuse<Config>(opos::OPOS_E_NOEXIST, registry.problem());
    const std::optional<DeviceEntry> entry = registry.find(name);
    if (!entry)
        return refuse<Config>(opos::OPOS_E_NOEXIST,
                              QStringLiteral("no device \"%1\" in %2").arg(name, registry.source()));
    if (!entry->problem.isEmpty())
        return refuse<Config>(opos::OPOS_E_NOSERVICE, entry->problem);
    if (const QString unknown = unknownKeyOf(*entry, deviceClass); !unknown.isEmpty())
        return refuse<Config>(opos::OPOS_E_NOSERVICE, unknown);
    if (!isClass(*entry, deviceClass))
        return refuse<Config>(opos::OPOS_E_NOSERVICE,
                              QStringLiteral("entry \"%1\" is of class \"%2\", not %3")
                                  .arg(entry->name, entry->deviceClass(), QLatin1String(deviceClass)));
    Resolution<Config> result;
    result.config = build(*entry, &result.reason);
    result.code = result.config ? opos::OPOS_SUCCESS : opos::OPOS_E_NOSERVICE;
    return result;
}

std::optional<DrawerConfig> drawerFrom(const DeviceRegistry& registry, const DeviceEntry& entry,
                                       QString* why) {
    const QString printerName = entry.value(QStringLiteral("printer"));
    const std::optional<DeviceEntry> printerEntry = registry.find(printerName);
    if (!printerEntry || !isClass(*printerEntry, "POSPrinter")) {
        *why = QStringLiteral("drawer \"%1\" hangs on \"%2\", which is no POSPrinter entry")
                   .arg(entry.name, printerName);
        return std::nullopt;
    }
    const std::optional<PrinterConfig> printer = printerFrom(registry, *printerEntry, why);
    if (!printer)
        return std::nullopt;
    DrawerConfig config;
    config.name = entry.name;
    config.printer = *printer;
    const std::optional<int> pin = entry.intValue(QStringLiteral("pin"), 2);
    if (!pin || (*pin != 2 && *pin != 5)) {
        *why = QStringLiteral("drawer \"%1\": pin must be 2 or 5").arg(entry.name);
        return std::nullopt;
    }
    config.pin = *pin;
    if (!readPositive(entry, QStringLiteral("pulse_on"), &config.pulseOnMs, why, 2) ||
        !readPositive(entry, QStringLiteral("pulse_off"), &config.pulseOffMs, why, 2))
        return std::nullopt;
    const QString level =
        entry.value(QStringLiteral("open_level"), QStringLiteral("high")).trimmed().toLower();
    if (level != QLatin1String("high") && level != QLatin1String("low")) {
        *why = QStringLiteral("drawer \"%1\": open_level must be high or low").arg(entry.name);
        return std::nullopt;
    }
    config.openWhenHigh = level == QLatin1String("high");
    return config;
}

} // namespace

Resolution<PrinterConfig> resolvePrinter(const DeviceRegistry& registry, const QString& name) {
    return resolve<PrinterConfig>(registry, name, "POSPrinter", [&](const DeviceEntry& entry, QString* why) {
        return printerFrom(registry, entry, why);
    });
}

Resolution<DrawerConfig> resolveDrawer(const DeviceRegistry& registry, const QString& name) {
    return resolve<DrawerConfig>(registry, name, "CashDrawer", [&](const DeviceEntry& entry, QString* why) {
        return drawerFrom(registry, entry, why);
    });
}

} // namespace device
