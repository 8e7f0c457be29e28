#pragma once

#include <QObject>

// Enter and Return press the focused push button, as Space does: a person expects both. Qt gives
// Enter to a button only inside a dialog, and there only to its default button.
class EnterPressesButtons : public QObject {
public:
    using QObject::QObject;
    // Watches every window of the application from now on.
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
