#include "centring.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

using Placement = QPoint (*)(const QRect& available, const QSize& outer);

bool frameKnown(const QWidget* window) {
    return window->frameGeometry().size() != window->size();
}

// The window's outer size. Before the window manager has framed a window, its frame is taken to be
// like that of a window it has framed already (all of a program's windows get the same decoration).
QSize outerSize(const QWidget* window) {
    if (frameKnown(window))
        return window->frameGeometry().size();
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != window && other->isVisible() && frameKnown(other))
            return window->size() + (other->frameGeometry().size() - other->size());
    return window->size();
}

QPoint placeFor(const QWidget* window, Placement placement) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? placement(screen->availableGeometry(), outerSize(window)) : window->pos();
}

// Places its window again when it is first shown, and once more when the window manager has
// framed it, unless the user has moved it by then; then goes.
class PlaceOnFirstShow : public QObject {
public:
    PlaceOnFirstShow(QWidget* window, Placement placement) : QObject(window), m_placement(placement) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show) {
            m_placed = placeFor(window, m_placement);
            window->move(m_placed);
            m_shown = true;
            if (frameKnown(window)) // placed with its real frame already
                stopWatching(window);
        } else if (m_shown && (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
                   frameKnown(window)) {
            constexpr int kUserMove = 4; // beyond the pixels a window manager may round
            if ((window->pos() - m_placed).manhattanLength() <= kUserMove)
                window->move(placeFor(window, m_placement));
            stopWatching(window);
        }
        return false;
    }

private:
    void stopWatching(QWidget* window) {
        window->removeEventFilter(this);
        deleteLater();
    }

    Placement m_placement;
    QPoint m_placed;
    bool m_shown = false;
};

void placeNowAndOnShow(QWidget* window, Placement placement) {
    window->move(placeFor(window, placement));
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
