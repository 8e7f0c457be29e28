#pragma once

#include "transport.h"

#include <QMap>
#include <QString>
#include <functional>
#include <memory>

namespace device {

// Makes transports from connection strings of the device registry ("virtual:Z901",
// "tcp://host:9100", "file:/dev/usb/lp0", "serial:/dev/ttyUSB0?baud=19200"). Each scheme is
// registered by the layer that implements it, so this layer knows none of them by name.
class TransportFactory {
public:
    // address: the text after "scheme:" with a leading "//" removed ("host:9100", "/dev/usb/lp0");
    // options: the registry entry's settings, for transports that need more (baud rate, profile, ...).
    // A creator that cannot make the transport returns nothing and may say why in *why.
    using Creator = std::function<std::unique_ptr<Transport>(
        const QString& address, const QMap<QString, QString>& options, QString* why)>;

    static void registerScheme(const QString& scheme, Creator creator);
    // Whether the connection string starts with a registered scheme ("tcp://host" -> "tcp").
    static bool knowsSchemeOf(const QString& connection);
    // Returns nothing, with a readable reason in *error, for a malformed string or an unknown scheme.
    static std::unique_ptr<Transport> create(const QString& connection, const QMap<QString, QString>& options,
                                             QString* error);
};

} // namespace device
