#pragma once

#include "app/form.h"
#include "app/frm_sample.h"
#include "app/statuslist.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPoint>
#include <QSize>
#include <QStringList>
#include <QTest>

class QAbstractButton;
class QWidget;

// What the window tests share: the main window and its status list, windows loaded afresh, a
// device window over a fake control, buttons and modal dialogs.

inline frm_Sample& mainWindow() {
    return FormInstance<frm_Sample>::get();
}

// Runs the deletions that unloading windows left pending, so the next access loads afresh.
inline void processDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Unloads these windows and runs the deletions.
template <typename... Windows> void unloadWindows() {
    (FormInstance<Windows>::unload(), ...);
    processDeferredDeletes();
}

// Unloads every window of the program and runs the pending deletions.
void unloadAllWindows();

// Loads `window` afresh over a new fake control, which must be the one it holds in `control`, and
// drops the calls its load made.
template <typename Window, typename Fake, typename Contract>
void loadOverFake(Window*& window, Fake*& fake, Contract* Window::*control) {
    unloadWindows<Window>();
    window = &FormInstance<Window>::get();
    fake = Fake::last();
    QVERIFY(fake);
    QCOMPARE(window->*control, fake);
    fake->takeCalls();
}

// Lines the status list received from index `from` on.
QStringList linesSince(int from);

// The status texts of the lines from `from` on, without their numbers and literals.
QStringList resultsSince(int from);

// Clicks the button of `window` with this object name.
void click(QWidget& window, const char* name);

// The button of `window` with this caption (mnemonic ampersands ignored), or null.
QAbstractButton* buttonByCaption(QWidget* window, const QString& caption);

// Waits in the event loop for the next modal dialog and presses `key` in it; `seen` receives the
// dialog's caption, modality and place, and whether the key closed it. A dialog that does not
// show up or does not close is ended here, so nothing hangs.
struct ModalSeen {
    QString title;
    bool modal = false;
    QPoint position;
    QSize outerSize;
    bool closedByKey = false;
};
void pressKeyInNextModal(int key, ModalSeen* seen);
