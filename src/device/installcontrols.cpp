#include "device/installcontrols.h"

#include "device/control/cashdrawercontrol.h"
#include "device/control/posprintercontrol.h"
#include "device/devicelog.h"
#include "device/transport/filetransport.h"
#include "device/transport/serialtransport.h"
#include "device/transport/tcptransport.h"
#include "device/transport/transportfactory.h"
#include "opos/controlfactory.h"

void installDeviceControls() {
    using namespace device;
    TransportFactory::registerScheme(
        QStringLiteral("tcp"), [](const QString& address, const QMap<QString, QString>&, QString* why) {
            QString host;
            quint16 port = 0;
            if (!TcpTransport::parseAddress(address, &host, &port)) {
                *why = QStringLiteral("not a host and port");
                return std::unique_ptr<Transport>();
            }
            return std::unique_ptr<Transport>(std::make_unique<TcpTransport>(address));
        });
    TransportFactory::registerScheme(
        QStringLiteral("file"), [](const QString& address, const QMap<QString, QString>& options, QString*) {
            return std::unique_ptr<Transport>(std::make_unique<FileTransport>(address, options));
        });
    TransportFactory::registerScheme(
        QStringLiteral("serial"),
        [](const QString& address, const QMap<QString, QString>& options, QString* why) {
            auto port = std::make_unique<SerialTransport>(address, options);
            if (!port->settingsValid()) {
                *why = port->settingsProblem();
                return std::unique_ptr<Transport>();
            }
            return std::unique_ptr<Transport>(std::move(port));
        });
    // The controls get the program's host services as the factory holds them when each is made.
    opos::ControlFactory::setPosPrinterCreator(
        [] { return std::make_unique<PosPrinterControl>(opos::ControlFactory::hostServices()); });
    opos::ControlFactory::setCashDrawerCreator(
        [] { return std::make_unique<CashDrawerControl>(opos::ControlFactory::hostServices()); });
}
