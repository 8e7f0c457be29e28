#include "installvirtual.h"

#include "device/transport/transportfactory.h"
#include "virtualtransport.h"

void installVirtualPrinter() {
    device::TransportFactory::registerScheme(QStringLiteral("virtual"),
                                             [](const QString& address, const QMap<QString, QString>& options,
                                                QString*) -> std::unique_ptr<device::Transport> {
                                                 return std::make_unique<virt::VirtualTransport>(
                                                     address.trimmed(), options);
                                             });
}
