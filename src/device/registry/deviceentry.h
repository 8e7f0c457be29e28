#pragma once

#include <QMap>
#include <QString>

#include <optional>

namespace device {

// One logical device of the registry: its name and every key/value of its section.
struct DeviceEntry {
    QString name;
    QMap<QString, QString> options; // class, connection, profile, timeout, pin, ...
    QString problem;                // why the entry cannot be used as it stands (a section given twice)

    QString value(const QString& key, const QString& fallback = {}) const {
        return options.value(key, fallback);
    }
    bool has(const QString& key) const { return options.contains(key); }
    QString deviceClass() const { return value(QStringLiteral("class")); }
    // An integer option; nothing when it is present but not a number.
    std::optional<int> intValue(const QString& key, int fallback) const {
        if (!has(key))
            return fallback;
        bool ok = false;
        const int number = value(key).trimmed().toInt(&ok);
        return ok ? std::optional<int>(number) : std::nullopt;
    }
};

} // namespace device
