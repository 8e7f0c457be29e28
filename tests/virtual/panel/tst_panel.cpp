#include "common/statechange.h"
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
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

using namespace virt;

class TestPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void operatorControlsDriveTheSensors();
    void optionsActHoweverTheyChange_data();
    void optionsActHoweverTheyChange();
    void everyControlHasAnAccessibleName();
    void wireMonitorShowsBothDirections();
    void paperGrowsAndClears();
    void paperAndWireMonitorPointAtEachOther();
    void ctrlWheelZoomsAndTheShownReceiptSaves();
    void hiddenForHeadlessRuns();
    void opensOnTheNewestLineAndBytes();
    void captureProblemIsShownAndReadOut();
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

    auto* closeDrawer = panel.findChild<QPushButton*>(QStringLiteral("closeDrawer"));
    auto* drawerState = panel.findChild<QLabel*>(QStringLiteral("drawerState"));
    QVERIFY(!closeDrawer->isEnabled());
    h.printer->drawer()->setCloseDelay(0);
    h.sendHex("1b700032fa");
    QCOMPARE(drawerState->text(), QStringLiteral("Drawer open"));
    QCOMPARE(drawerState->accessibleName(), QStringLiteral("Drawer open")); // a screen reader hears the state
    QVERIFY(closeDrawer->isEnabled());
    closeDrawer->click();
    QVERIFY(!h.printer->drawer()->isOpen());
    QCOMPARE(drawerState->text(), QStringLiteral("Drawer closed"));
}

void TestPanel::optionsActHoweverTheyChange_data() {
    addStateChangeRows();
}

void TestPanel::optionsActHoweverTheyChange() {
    QFETCH(StateChange, way);
    PrinterHarness h;
    VirtualPanel panel(h.printer.get());
    panel.show(); // a click lands where the option is drawn
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    const auto change = [&](const char* name) {
        changeState(panel.findChild<QAbstractButton*>(QLatin1String(name)), way);
    };
    change("paperOut");
    QCOMPARE(h.printer->sensors().paper, PaperLevel::Out);
    change("paperNearEnd");
    QCOMPARE(h.printer->sensors().paper, PaperLevel::NearEnd);
    change("offline");
    QVERIFY(!h.printer->isOnline());
    change("online");
    QVERIFY(h.printer->isOnline());
    change("realSpeed");
    QVERIFY(h.printer->dotLinesPerSecond() > 0);
    change("realSpeed");
    QCOMPARE(h.printer->dotLinesPerSecond(), 0);

    // The printer's own changes show without acting back on it.
    h.printer->setPaper(PaperLevel::Out);
    QVERIFY(panel.findChild<QRadioButton*>(QStringLiteral("paperOut"))->isChecked());
    QCOMPARE(h.printer->sensors().paper, PaperLevel::Out);
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
    // The real-time request and its answer come first: they do not wait for the buffer.
    QVERIFY(entries[0].name.contains(QStringLiteral("DLE EOT")));
    QCOMPARE(entries[1].direction, WireLog::Direction::Sent);
    QCOMPARE(entries[1].bytes.toHex(), QByteArray("12"));
    QVERIFY(entries[1].name.contains(QStringLiteral("DLE EOT")));
    QVERIFY(entries[2].text);
    QCOMPARE(WireLog::format(entries[3]).contains(QStringLiteral("1B 40")), true);
    QVERIFY(entries[3].name.contains(QStringLiteral("ESC @")));
    h.sendHex("1d6101");
    h.takeReplies();
    QCOMPARE(h.printer->wireLog()->entries().last().name, QStringLiteral("automatic status back"));
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

// A styled line clicked selects its style, text and line feed; an image's bytes selected mark the
// image; the arrow keys step to the next band.
void TestPanel::paperAndWireMonitorPointAtEachOther() {
    PrinterHarness h;
    VirtualPanel panel(h.printer.get());
    auto* view = panel.findChild<PaperView*>();
    auto* wire = panel.findChild<QListView*>(QStringLiteral("wireMonitor"));
    const QByteArray image = QByteArray::fromHex("1d7630000200080000") + QByteArray(16, char(0xF0));
    h.send(QByteArray("plain\n") + QByteArray::fromHex("1b4501") + "bold\n" + QByteArray::fromHex("1b4500") +
           image);
    view->resize(view->sizeHint());
    const auto selectedNames = [&] {
        QStringList names;
        for (const QModelIndex& index : wire->selectionModel()->selectedRows())
            names << WireLog::format(h.printer->wireLog()->entries().at(index.row()));
        return names.join(u'|');
    };
    const QList<PrintedLine>& lines = h.printer->paper()->currentLines();
    QTest::mouseClick(view, Qt::LeftButton, {}, view->mapFrom(view, QPoint(100, 12 + lines.at(1).top + 10)));
    QVERIFY2(selectedNames().contains(QLatin1String("ESC E")) &&
                 selectedNames().contains(QLatin1String("\"bold\"")) &&
                 selectedNames().contains(QLatin1String("LF")) &&
                 !selectedNames().contains(QLatin1String("plain")),
             qPrintable(selectedNames()));
    QCOMPARE(view->marked().from, 6);
    QCOMPARE(view->marked().to, 6 + 3 + 5);

    const auto& entries = h.printer->wireLog()->entries();
    const auto raster = std::find_if(entries.begin(), entries.end(), [](const WireLog::Entry& entry) {
        return entry.name.contains(u"GS v");
    });
    QVERIFY(raster != entries.end());
    wire->selectionModel()->select(h.printer->wireLog()->index(int(raster - entries.begin())),
                                   QItemSelectionModel::ClearAndSelect);
    QCOMPARE(view->marked().from, 6 + 3 + 5 + 3);
    QCOMPARE(view->markPrintedBy(view->marked()).height(), 8);

    QTest::keyClick(view, Qt::Key_Up);
    QCOMPARE(view->marked().from, 6);
}

void TestPanel::ctrlWheelZoomsAndTheShownReceiptSaves() {
    PrinterHarness h;
    QByteArray first;
    for (int i = 0; i < 40; ++i)
        first += "first receipt\n";
    h.send(first + QByteArray::fromHex("1d564200") + "second\n");
    VirtualPanel panel(h.printer.get());
    panel.resize(700, 500);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    auto* view = panel.findChild<PaperView*>();
    auto* scroll = panel.findChild<QScrollArea*>(QStringLiteral("paperScroll"));
    const auto wheel = [&](Qt::KeyboardModifiers modifiers, int delta) {
        const QPointF at = scroll->viewport()->rect().center();
        QWheelEvent event(at, scroll->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(scroll->viewport(), &event);
    };
    wheel(Qt::ControlModifier, 120);
    QCOMPARE(view->zoom(), 1.25);
    wheel(Qt::ControlModifier, -240);
    QCOMPARE(view->zoom(), 0.8);
    wheel(Qt::NoModifier, -120); // scrolls, as ever
    QCOMPARE(view->zoom(), 0.8);

    // The receipt in the middle of the view is the one saved.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("shown.png"));
    scroll->verticalScrollBar()->setValue(0);
    QCOMPARE(panel.saveShownReceipt(path), QString());
    QCOMPARE(QImage(path).size(), h.printer->paper()->receipts().first().image.size());
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    QCOMPARE(panel.saveShownReceipt(path), QString());
    QCOMPARE(QImage(path).size(), h.printer->paper()->currentImage().size());
    // After a cut the end of the roll is blank: the receipt just cut is the one meant.
    h.send(QByteArray::fromHex("1d564200"));
    QApplication::processEvents();
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    QCOMPARE(panel.saveShownReceipt(path), QString());
    QCOMPARE(QImage(path),
             h.printer->paper()->receipts().last().image.convertToFormat(QImage(path).format()));
    QVERIFY(!panel.saveShownReceipt(folder.filePath(QStringLiteral("missing/shown.png"))).isEmpty());
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

void TestPanel::opensOnTheNewestLineAndBytes() {
    PrinterHarness h;
    QByteArray job;
    for (int i = 0; i < 60; ++i)
        job += "line " + QByteArray::number(i) + "\n";
    h.send(job + QByteArray::fromHex("1d286b0800315030") + "hello" + QByteArray::fromHex("1d286b0300315130"));
    VirtualPanel panel(h.printer.get()); // printed before its window opened
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    auto* paper = panel.findChild<QScrollArea*>(QStringLiteral("paperScroll"))->verticalScrollBar();
    QTRY_VERIFY(paper->maximum() > 0 && paper->value() == paper->maximum());
    auto* wire = panel.findChild<QListView*>(QStringLiteral("wireMonitor"));
    const QModelIndex newest = wire->model()->index(wire->model()->rowCount() - 1, 0);
    QTRY_VERIFY(wire->viewport()->rect().intersects(wire->visualRect(newest)));
    // GS ( k is named by its symbol and function, not just "function".
    QVERIFY(newest.data().toString().contains(QStringLiteral("GS ( k  QR code print")));
}

void TestPanel::captureProblemIsShownAndReadOut() {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    PrinterHarness h;
    VirtualPanel panel(h.printer.get());
    h.printer->setCaptureFolder(dir.filePath(QStringLiteral("file/sub")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("capture folder .* cannot be created"));
    h.send("A\n");
    auto* problem = panel.findChild<QLabel*>(QStringLiteral("problem"));
    QVERIFY(!problem->isHidden());
    QVERIFY(problem->accessibleName().contains(QStringLiteral("cannot be created")));
}

QTEST_MAIN(TestPanel)
#include "tst_panel.moc"
