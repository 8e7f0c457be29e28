#include "app/mainwindowrun.h"

#include "app/enterpressesbuttons.h"
#include "app/form.h"
#include "app/frm_sample.h"

#include <QApplication>

int runMainWindow(QApplication& app, bool quitAfterStart) {
    EnterPressesButtons::install();
    frm_Sample& mainWindow = FormInstance<frm_Sample>::get();
    QObject::connect(&mainWindow, &QObject::destroyed, &app, &QCoreApplication::quit);
    mainWindow.show();
    if (quitAfterStart)
        QMetaObject::invokeMethod(
            &app,
            [&] {
                mainWindow.repaint(); // drawn once, then gone
                app.quit();
            },
            Qt::QueuedConnection);
    return app.exec();
}
