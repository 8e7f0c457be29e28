#include "installpanel.h"

#include "panelplacement.h"
#include "virtual/virtualprinterhub.h"
#include "virtualpanel.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>

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
        placeVirtualPanel(panel);
        // It appears beside the window in use and leaves it the keyboard: the next Space belongs there.
        panel->setAttribute(Qt::WA_ShowWithoutActivating);
        panel->show();
    });
}

void placeVirtualPanel(virt::VirtualPanel* panel) {
    const QByteArray remembered = panel->rememberedGeometry();
    if (!remembered.isEmpty() && panel->restoreGeometry(remembered)) {
        // On the screen it was left on, or on the nearest one where the screens have changed.
        const QScreen* screen = QGuiApplication::screenAt(panel->frameGeometry().center());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen) {
            const QRect frame = panel->frameGeometry();
            const QRect kept = virt::keptOnScreen(frame, screen->availableGeometry());
            if (kept.size() != frame.size())
                panel->resize(panel->size() - (frame.size() - kept.size()));
            if (kept.topLeft() != frame.topLeft())
                panel->move(kept.topLeft());
        }
        panel->notePlaced(panel->frameGeometry());
        return;
    }
    QWidget* active = QApplication::activeWindow();
    if (active == panel)
        active = nullptr;
    const QScreen* screen = active && active->screen() ? active->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The frames of the other windows; a new window gets a frame like theirs.
    QList<QRect> windows;
    QSize frame;
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window == panel || !window->isVisible() || window->windowType() == Qt::Popup ||
            window->windowType() == Qt::ToolTip)
            continue;
        windows << window->frameGeometry();
        frame = frame.expandedTo(window->frameGeometry().size() - window->geometry().size());
    }
    const QSize preferred = QSize(760, 720) + frame;
    const QSize smallest = panel->minimumSizeHint().expandedTo(QSize(400, 400)) + frame;
    const QRect available = screen->availableGeometry();
    const QRect chosen =
        virt::choosePanelFrame(available, windows, active ? active->frameGeometry() : QRect(),
                               virt::panelFrameSizes(preferred, smallest, available));
    panel->fitTo(chosen.size() - frame);
    panel->move(chosen.topLeft());
    panel->notePlaced(chosen);
}
