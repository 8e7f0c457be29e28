#include "installpanel.h"

#include "virtual/virtualprinterhub.h"
#include "virtualpanel.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>

namespace {

bool panelWanted() {
    return qEnvironmentVariable("POSLING_VIRTUAL_PANEL") != QLatin1String("0");
}

// The panel stands at the right edge of the screen, where it leaves the centred main window and
// its status list in view.
void placeAtRightEdge(QWidget* panel) {
    const QScreen* screen = panel->screen() ? panel->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size(qMin(760, area.width() / 2), qMin(720, area.height()));
    panel->resize(size);
    panel->move(area.right() + 1 - size.width(), area.top());
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
        placeAtRightEdge(panel);
        panel->show();
    });
}
