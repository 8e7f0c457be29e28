#include "centring.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

using Placement = QPoint (*)(const QRect& available, const QSize& outer);

void moveBy(QWidget* window, Placement placement) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen)
        window->move(placement(screen->availableGeometry(), window->frameGeometry().size()));
}

// Places its window again when the window is first shown (the frame is known by then), then goes.
class PlaceOnFirstShow : public QObject {
public:
    PlaceOnFirstShow(QWidget* window, Placement placement) : QObject(window), m_placement(placement) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            moveBy(static_cast<QWidget*>(watched), m_placement);
            deleteLater();
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    Placement m_placement;
};

void placeNowAndOnShow(QWidget* window, Placement placement) {
    moveBy(window, placement);
    if (!window->isVisible())
        window->installEventFilter(new PlaceOnFirstShow(window, placement));
}

} // namespace

QPoint centredTopLeft(const QRect& available, const QSize& outer) {
    // Integer division truncates toward zero, also for a negative difference.
    return {available.x() + (available.width() - outer.width()) / 2,
            available.y() + (available.height() - outer.height()) / 2};
}

void centreOnScreen(QWidget* window) {
    placeNowAndOnShow(window, centredTopLeft);
}

QPoint besideTopLeft(const QRect& available, const QRect& anchor, const QSize& outer, Side preferred) {
    const int rightX = anchor.right() + 1;
    const int leftX = anchor.left() - outer.width();
    const bool rightFits = rightX + outer.width() <= available.right() + 1;
    const bool leftFits = leftX >= available.left();
    int x;
    if (preferred == Side::Right)
        x = rightFits ? rightX : leftFits ? leftX : available.right() + 1 - outer.width();
    else
        x = leftFits ? leftX : rightFits ? rightX : available.left();
    const int lowest = available.bottom() + 1 - outer.height();
    const int y = std::max(available.top(), std::min(anchor.top(), lowest));
    return {x, y};
}

void placeBeside(QWidget* window, const QWidget* anchor, Side preferred) {
    const QScreen* screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen || !anchor->isVisible())
        return;
    // Before the first show the window has no frame yet; the anchor's tells how large it will be.
    const QSize frame = anchor->frameGeometry().size() - anchor->geometry().size();
    window->move(besideTopLeft(screen->availableGeometry(), anchor->frameGeometry(), window->size() + frame,
                               preferred));
}

QPoint fifthTopLeft(const QRect& available, const QSize& outer) {
    return {available.x() + (available.width() - outer.width()) / 5,
            available.y() + (available.height() - outer.height()) / 5};
}

void placeAtFifth(QWidget* window) {
    placeNowAndOnShow(window, fifthTopLeft);
}
