#include "installpanel.h"

#include "virtual/virtualprinterhub.h"
#include "virtualpanel.h"

#include <QApplication>
#include <QPointer>

namespace {

bool panelWanted() {
    return qEnvironmentVariable("POSLING_VIRTUAL_PANEL") != QLatin1String("0");
}

} // namespace

void installVirtualPanel() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    auto* hub = virt::VirtualPrinterHub::instance();
    QObject::connect(hub, &virt::VirtualPrinterHub::printerOpened, hub, [](virt::VirtualPrinter* printer) {
        if (!panelWanted() || !qobject_cast<QApplication*>(QCoreApplication::instance()))
            return;
        // The window lives as long as its printer.
        auto* panel = new virt::VirtualPanel(printer);
        QObject::connect(printer, &QObject::destroyed, panel, &QObject::deleteLater);
        panel->show();
    });
}
