#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

class QAbstractButton;
class QWidget;

// Unloads every window and runs the pending deletions, so the next access loads afresh.
void unloadAllWindows();

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
