#include "windowtesting.h"

#include "app/form.h"
#include "app/frm_sample.h"
#include "app/frmabout.h"
#include "app/frmusingsampleapp.h"
#include "drawer/frmcashdrawer.h"
#include "printer/frmprinter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>

void unloadAllWindows() {
    unloadWindows<frm_Sample, frmPrinter, frmCashDrawer, frmAbout, frmUsingSampleApp>();
}

QStringList linesSince(int from) {
    QStringList lines;
    for (int i = from; i < mainWindow().lstStatusResults->ListCount(); ++i)
        lines << mainWindow().lstStatusResults->List(i);
    return lines;
}

QStringList resultsSince(int from) {
    QStringList results;
    for (const QString& line : linesSince(from))
        results << line.section(QStringLiteral(":  "), -1);
    return results;
}

void click(QWidget& window, const char* name) {
    window.findChild<QAbstractButton*>(QLatin1String(name))->click();
}

QAbstractButton* buttonByCaption(QWidget* window, const QString& caption) {
    const auto buttons = window->findChildren<QAbstractButton*>();
    for (QAbstractButton* button : buttons) {
        if (QString(button->text()).remove(QLatin1Char('&')) == caption)
            return button;
    }
    return nullptr;
}

namespace {

void pressWhenShown(int key, ModalSeen* seen, int triesLeft) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
        if (triesLeft > 0) {
            QTimer::singleShot(10, [=] { pressWhenShown(key, seen, triesLeft - 1); });
            return;
        }
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QDialog*>(top))
                dialog->done(QDialog::Rejected);
        }
        return;
    }
    seen->title = modal->windowTitle();
    seen->modal = modal->isModal() && modal->windowModality() == Qt::ApplicationModal;
    seen->position = modal->frameGeometry().topLeft();
    seen->outerSize = modal->frameGeometry().size();
    QPointer<QWidget> dialog = modal;
    QTest::keyClick(modal, Qt::Key(key));
    seen->closedByKey = dialog.isNull() || !dialog->isVisible();
    if (auto* stuck = qobject_cast<QDialog*>(dialog.data()); stuck && stuck->isVisible())
        stuck->done(QDialog::Rejected);
}

} // namespace

void pressKeyInNextModal(int key, ModalSeen* seen) {
    QTimer::singleShot(0, [=] { pressWhenShown(key, seen, 500); });
}
