#include "centring.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

void moveToCentre(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen)
        window->move(centredTopLeft(screen->availableGeometry(), window->frameGeometry().size()));
}

// Centres its window again when the window is first shown (the frame is known by then), then goes.
class CentreOnFirstShow : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            moveToCentre(static_cast<QWidget*>(watched));
            deleteLater();
            watched->removeEventFilter(this);
        }
        return false;
    }
};

} // namespace

QPoint centredTopLeft(const QRect& available, const QSize& outer) {
    // Integer division truncates toward zero, also for a negative difference.
    return {available.x() + (available.width() - outer.width()) / 2,
            available.y() + (available.height() - outer.height()) / 2};
}

void centreOnScreen(QWidget* window) {
    moveToCentre(window);
    if (!window->isVisible())
        window->installEventFilter(new CentreOnFirstShow(window));
}
