#include "enterpressesbuttons.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

void EnterPressesButtons::install() {
    qApp->installEventFilter(new EnterPressesButtons(qApp));
}

bool EnterPressesButtons::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button || !button->isEnabled() || !button->hasFocus())
        return false;
    button->click();
    return true;
}
