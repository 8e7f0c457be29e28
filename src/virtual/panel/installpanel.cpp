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

ProgramWindows& programWindows() {
    static ProgramWindows windows;
    return windows;
}

// Back where the user left it, on the screen it was left on, or on the nearest one where the
// screens have changed; false when it has no remembered place.
bool restoreRememberedPlace(virt::VirtualPanel* panel) {
    const QByteArray remembered = panel->rememberedGeometry();
    if (remembered.isEmpty() || !panel->restoreGeometry(remembered))
        return false;
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
    panel->fitTo(panel->size()); // a narrow place left takes the controls under the paper again
    panel->notePlaced(panel->frameGeometry());
    return true;
}

// What the window is placed among.
struct Surroundings {
    QList<QRect> windows;   // frames of the other windows, open or to come
    QList<QRect> keepClear; // never covered where that can be helped
    QSize frame;            // a new window gets a frame like the others'
};

Surroundings surroundingsOf(const QWidget* panel, const QWidget* active, const QRect& available) {
    Surroundings around;
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window == panel || !window->isVisible() || window->windowType() == Qt::Popup ||
            window->windowType() == Qt::ToolTip)
            continue;
        around.windows << window->frameGeometry();
        around.frame = around.frame.expandedTo(window->frameGeometry().size() - window->geometry().size());
    }
    const ProgramWindows& program = programWindows();
    if (program.frames)
        for (const QRect& window : program.frames(available, around.frame))
            if (!around.windows.contains(window))
                around.windows << window;
    if (active)
        around.keepClear << active->frameGeometry();
    if (program.keptInView)
        around.keepClear << program.keptInView();
    return around;
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
        // The window lives as long as its printer, but no longer than the event loop: the printers go
        // with the application object, after its event dispatcher, and the wire monitor would ask
        // that dispatcher for a timer when its printer's wire log goes.
        auto* panel = new virt::VirtualPanel(printer);
        QObject::connect(printer, &QObject::destroyed, panel, &QObject::deleteLater);
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, panel,
                         &QObject::deleteLater);
        placeVirtualPanel(panel);
        // It appears beside the window in use and leaves it the keyboard: the next Space belongs there.
        panel->setAttribute(Qt::WA_ShowWithoutActivating);
        panel->show();
    });
}

void setProgramWindows(const ProgramWindows& windows) {
    programWindows() = windows;
}

void placeVirtualPanel(virt::VirtualPanel* panel) {
    if (restoreRememberedPlace(panel))
        return;
    QWidget* active = QApplication::activeWindow();
    if (active == panel)
        active = nullptr;
    const QScreen* screen = active && active->screen() ? active->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const Surroundings around = surroundingsOf(panel, active, available);
    using Arrangement = virt::VirtualPanel::Arrangement;
    const QSize preferred = QSize(760, 720) + around.frame;
    const QSize beside = panel->leastSize(Arrangement::ControlsBeside).expandedTo(QSize(400, 400));
    const QSize below = panel->leastSize(Arrangement::ControlsBelow);
    const QList<QSize> smallest{beside + around.frame, below + around.frame};
    const QRect chosen = virt::choosePanelFrame(available, around.windows, around.keepClear,
                                                virt::panelFrameSizes(preferred, smallest, available));
    panel->fitTo(chosen.size() - around.frame);
    panel->move(chosen.topLeft());
    panel->notePlaced(chosen);
}
