#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QTest>

// The ways a user changes a check box or an option: each must run its handler.
enum class StateChange { Mouse, Keyboard, ScreenReader };
Q_DECLARE_METATYPE(StateChange)

inline void changeState(QAbstractButton* button, StateChange way) {
    switch (way) {
    case StateChange::Mouse:
        // On the indicator: a stretched option takes clicks only on its indicator and text.
        QTest::mouseClick(button, Qt::LeftButton, {},
                          QPoint(qMin(8, button->width() / 2), button->height() / 2));
        break;
    case StateChange::Keyboard:
        QTest::keyClick(button, Qt::Key_Space);
        break;
    case StateChange::ScreenReader: // toggles the state and clicks nothing
        QAccessible::queryAccessibleInterface(button)->actionInterface()->doAction(
            QAccessibleActionInterface::toggleAction());
        break;
    }
}

// One data row per way, for a test with a `way` column.
inline void addStateChangeRows() {
    QTest::addColumn<StateChange>("way");
    QTest::newRow("mouse") << StateChange::Mouse;
    QTest::newRow("keyboard") << StateChange::Keyboard;
    QTest::newRow("screen reader") << StateChange::ScreenReader;
}
