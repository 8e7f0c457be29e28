#include "support/printerharness.h"

#include "device/transport/transportfactory.h"
#include "virtual/installvirtual.h"
#include "virtual/panel/installpanel.h"
#include "virtual/panel/paperview.h"
#include "virtual/panel/virtualpanel.h"

#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace virt;

class TestPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void operatorControlsDriveTheSensors();
    void everyControlHasAnAccessibleName();
    void wireMonitorShowsBothDirections();
    void paperGrowsAndClears();
    void hiddenForHeadlessRuns();
};

void TestPanel::operatorControlsDriveTheSensors() {
    PrinterHarness h;
    VirtualPanel panel(h.printer.get());
    QVERIFY(panel.windowTitle().startsWith(QStringLiteral("Virtual printer")));
    QVERIFY(panel.windowTitle().contains(QStringLiteral("test")));
    auto* cover = panel.findChild<QPushButton*>(QStringLiteral("cover"));
    QCOMPARE(cover->accessibleName(), QStringLiteral("Open cover"));
    cover->click();
    QVERIFY(h.printer->sensors().coverOpen);
    QCOMPARE(cover->accessibleName(), QStringLiteral("Close cover"));
    cover->click();
    QVERIFY(!h.printer->sensors().coverOpen);

    panel.findChild<QRadioButton*>(QStringLiteral("paperOut"))->click();
    QCOMPARE(h.printer->sensors().paper, PaperLevel::Out);
    panel.findChild<QRadioButton*>(QStringLiteral("paperNearEnd"))->click();
    QCOMPARE(h.printer->sensors().paper, PaperLevel::NearEnd);
    panel.findChild<QRadioButton*>(QStringLiteral("offline"))->click();
    QVERIFY(!h.printer->isOnline());
    panel.findChild<QRadioButton*>(QStringLiteral("online"))->click();
    QVERIFY(h.printer->isOnline());

    auto* closeDrawer = panel.findChild<QPushButton*>(QStringLiteral("closeDrawer"));
    auto* drawerState = panel.findChild<QLabel*>(QStringLiteral("drawerState"));
    QVERIFY(!closeDrawer->isEnabled());
    h.printer->drawer()->setCloseDelay(0);
    h.sendHex("1b700032fa");
    QCOMPARE(drawerState->text(), QStringLiteral("Drawer open"));
    QVERIFY(closeDrawer->isEnabled());
    closeDrawer->click();
    QVERIFY(!h.printer->drawer()->isOpen());
    QCOMPARE(drawerState->text(), QStringLiteral("Drawer closed"));
}

void TestPanel::everyControlHasAnAccessibleName() {
    PrinterHarness h;
    VirtualPanel panel(h.printer.get());
    const auto buttons = panel.findChildren<QAbstractButton*>();
    QVERIFY(buttons.size() >= 9);
    for (QAbstractButton* button : buttons) {
        QVERIFY2(!button->accessibleName().isEmpty(), qPrintable(button->objectName()));
        QVERIFY2(button->text().contains(QLatin1Char('&')),
                 qPrintable(button->objectName())); // keyboard mnemonic
    }
    QVERIFY(!panel.findChild<QListView*>(QStringLiteral("wireMonitor"))->accessibleName().isEmpty());
}

void TestPanel::wireMonitorShowsBothDirections() {
    PrinterHarness h;
    VirtualPanel panel(h.printer.get());
    h.send(QByteArray("Hi") + QByteArray::fromHex("1b40100404"));
    h.takeReplies();
    const auto& entries = h.printer->wireLog()->entries();
    QCOMPARE(entries.size(), 4);
    QCOMPARE(WireLog::format(entries[1]).contains(QStringLiteral("1B 40")), true);
    QVERIFY(entries[1].name.contains(QStringLiteral("ESC @")));
    QVERIFY(entries[2].name.contains(QStringLiteral("DLE EOT")));
    QCOMPARE(entries[3].direction, WireLog::Direction::Sent);
    QCOMPARE(entries[3].bytes.toHex(), QByteArray("12"));
}

void TestPanel::paperGrowsAndClears() {
    PrinterHarness h;
    VirtualPanel panel(h.printer.get());
    auto* view = panel.findChild<PaperView*>();
    const int before = view->sizeHint().height();
    h.send(QByteArray("line\nline\n") + QByteArray::fromHex("1d564200") + "more\n");
    QVERIFY(view->sizeHint().height() >= before + 90);
    const int zoomed = (view->setZoom(2.0), view->sizeHint().width());
    QCOMPARE(zoomed, 576 * 2 + 24);
    panel.findChild<QPushButton*>(QStringLiteral("clearPaper"))->click();
    QVERIFY(h.printer->paper()->receipts().isEmpty());
    QVERIFY(h.printer->paper()->isBlank());
}

void TestPanel::hiddenForHeadlessRuns() {
    qputenv("POSLING_VIRTUAL_PANEL", "0");
    installVirtualPrinter();
    installVirtualPanel();
    QString error;
    auto link = device::TransportFactory::create(QStringLiteral("virtual:P-headless"), {}, &error);
    link->open();
    QCoreApplication::processEvents();
    for (QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<VirtualPanel*>(widget));

    qputenv("POSLING_VIRTUAL_PANEL", "1");
    auto shown = device::TransportFactory::create(QStringLiteral("virtual:P-shown"), {}, &error);
    shown->open();
    bool found = false;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* panel = qobject_cast<VirtualPanel*>(widget)) {
            found = panel->isVisible() && panel->windowTitle().contains(QStringLiteral("P-shown"));
            delete panel;
        }
    QVERIFY(found);
}

QTEST_MAIN(TestPanel)
#include "tst_panel.moc"
