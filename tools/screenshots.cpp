// posling-screenshots FOLDER: a picture of every window for the README, taken by
// scripts/screenshots.sh under Xvfb. It starts as posling does, on the built-in virtual printer,
// and presses what a first run would press, so the pictures show a session, not empty lists.
#include "app/commandline.h"
#include "app/form.h"
#include "app/frm_sample.h"
#include "app/frmabout.h"
#include "app/frmusingsampleapp.h"
#include "bmbc/frmbmbc.h"
#include "device/installcontrols.h"
#include "drawer/frmcashdrawer.h"
#include "printer/frmprinter.h"
#include "virtual/installvirtual.h"
#include "virtual/panel/installpanel.h"
#include "virtual/panel/virtualpanel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const QString& message) {
    std::fprintf(stderr, "posling-screenshots: %s\n", qPrintable(message));
    std::exit(1);
}

// Lets the printer print and the windows repaint.
void settle(int ms = 300) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void click(QWidget& window, const char* button) {
    auto* found = window.findChild<QAbstractButton*>(QString::fromLatin1(button));
    if (!found)
        fail(QStringLiteral("%1 has no button %2").arg(window.objectName(), QString::fromLatin1(button)));
    found->click();
    settle();
}

void save(QWidget& window, const QString& folder, const char* name) {
    window.show();
    window.raise();
    settle();
    const QString path = QStringLiteral("%1/%2.png").arg(folder, QString::fromLatin1(name));
    // Without alpha, and at the best compression: the pictures live in the repository.
    if (!window.grab().toImage().convertToFormat(QImage::Format_RGB32).save(path, "PNG", 0))
        fail(QStringLiteral("cannot write ") + path);
    std::printf("%s\n", qPrintable(path));
}

virt::VirtualPanel* virtualPanel() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* panel = qobject_cast<virt::VirtualPanel*>(widget); panel && panel->isVisible())
            return panel;
    fail(QStringLiteral("the virtual printer's window did not open"));
}

} // namespace

int main(int argc, char* argv[]) {
    setApplicationIdentity();
    QApplication app(argc, argv);
    if (app.arguments().size() != 2)
        fail(QStringLiteral("usage: posling-screenshots FOLDER"));
    const QString folder = app.arguments().at(1);
    // A message box would wait for a click that never comes.
    QTimer::singleShot(120000, [] { fail(QStringLiteral("no picture within two minutes")); });

    installVirtualPrinter();
    installVirtualPanel();
    installDeviceControls();

    frm_Sample& main = FormInstance<frm_Sample>::get();
    main.show();
    settle();

    frmPrinter& printer = FormInstance<frmPrinter>::get();
    printer.Display();
    for (const char* button : {"cmdOpenPrinter", "cmdClaimPrinter", "cmdEnablePrinter", "cmdPrintNormal",
                               "cmdLineFeed", "cmdCutPaper"})
        click(printer, button);

    frmCashDrawer& drawer = FormInstance<frmCashDrawer>::get();
    drawer.Display();
    for (const char* button : {"cmdOpenSOCashDrawer1", "cmdCashDrawer1Enable", "cmdCashDrawer1Kick"})
        click(drawer, button);

    frmBMBC& barcodes = FormInstance<frmBMBC>::get();
    barcodes.Display();
    // The symbology counts once the list is left, as a user's Tab would leave it.
    auto* symbology = barcodes.findChild<QComboBox*>(QStringLiteral("cboSymbology"));
    if (!symbology)
        fail(QStringLiteral("the bar code window has no symbology list"));
    symbology->setFocus(Qt::TabFocusReason);
    symbology->setCurrentIndex(symbology->findText(QStringLiteral("Code 128")));
    settle();
    for (const char* button : {"cmdSample", "cmdPrintBarCode", "cmdPrintBitmap"})
        click(barcodes, button);
    click(printer, "cmdCutPaper");
    // The bitmap came from beside this program; the picture shows where posling keeps it.
    if (auto* path = barcodes.findChild<QLineEdit*>(QStringLiteral("txtBMPath")))
        path->setText(QStringLiteral("/usr/lib/posling/test.bmp"));
    settle(1000);

    save(main, folder, "main");
    save(printer, folder, "printer");
    save(drawer, folder, "cashdrawer");
    save(barcodes, folder, "barcode-bitmap");
    save(*virtualPanel(), folder, "virtual-printer");
    // The dialogs are modal in use; shown modeless here, so the program goes on.
    save(FormInstance<frmAbout>::get(), folder, "about");
    save(FormInstance<frmUsingSampleApp>::get(), folder, "using");
    return 0;
}
