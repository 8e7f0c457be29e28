#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace device {

// Where printers show up as device files; tests point these at a folder of their own.
struct DiscoveryFolders {
    QString usbPrinters = QStringLiteral("/dev/usb");         // lp0, lp1, ...: USB printer class devices
    QString serialById = QStringLiteral("/dev/serial/by-id"); // stable names of USB serial adapters
    QString devices = QStringLiteral("/dev");                 // ttyUSB*, ttyACM*
};

struct FoundDevice {
    QString name;       // "lp0", "ttyUSB0": a section name for the registry
    QString connection; // "file:/dev/usb/lp0", "serial:/dev/serial/by-id/usb-..."
};

// The device file of a file: or serial: connection (a serial query dropped); empty for others.
QString devicePathOf(const QString& connection);

// USB printers and serial ports in the folders that none of the known connections names. A serial
// port with a by-id link is listed once, under that link, since it survives replugging.
QList<FoundDevice> discoverDevices(const DiscoveryFolders& folders, const QStringList& knownConnections);

} // namespace device
