#include "app/centring.h"
#include "app/form.h"
#include "app/frm_sample.h"
#include "app/frmabout.h"
#include "app/frmusingsampleapp.h"
#include "app/statuslist.h"
#include "common/fakecontrols.h"
#include "common/windowtesting.h"
#include "drawer/frmcashdrawer.h"
#include "printer/frmprinter.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>

#include <memory>

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() { m_fakes = std::make_unique<FakeControls>(); }
    void cleanup() {
        unloadAllWindows();
        m_fakes.reset();
    }

    void logsNumberedSelectedLines();
    void logResultTranslatesTheCode();
    void controlsSitInTheirDesignedPlaces();
    void onlyTheStatusListGrows();
    void centresOnTheScreen();
    void focusStartsOnPrinterAndTabsInOrder();
    void menusAndShortcut();
    void everyInputHasAnAccessibleName();

    void dialogsAreModalAndCloseByKey_data();
    void dialogsAreModalAndCloseByKey();
    void aboutIsCentredEachTime();
    void usingTextsKeepTheirBlanks();

    void deviceButtonsShowOneWindowEach_data();
    void deviceButtonsShowOneWindowEach();

    void shutdown_data();
    void shutdown();
    void shutdownUnloadsTheOtherWindows();

private:
    std::unique_ptr<FakeControls> m_fakes;
};

namespace {

QStringList lines(const StatusList* list) {
    QStringList all;
    for (int i = 0; i < list->ListCount(); ++i)
        all << list->List(i);
    return all;
}

QAction* action(frm_Sample& window, const char* name) {
    return window.findChild<QAction*>(QString::fromLatin1(name));
}

template <typename T> T* child(frm_Sample& window, const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
}

} // namespace

void TestMainWindow::logsNumberedSelectedLines() {
    frm_Sample& window = mainWindow();
    StatusList* list = window.lstStatusResults;
    QCOMPARE(window.Counter, 0);
    QCOMPARE(list->ListCount(), 0);

    const QStringList pieces{QStringLiteral(":  Result of Printer.Open:  OPOS_SUCCESS"),
                             QStringLiteral("-StatusUpdateEvent: 24: PTR_SUE_REC_EMPTY"), QString()};
    for (int i = 0; i < pieces.size(); ++i) {
        window.AddStatusLine(pieces.at(i));
        QCOMPARE(window.Counter, list->ListCount());
        QCOMPARE(list->ListIndex(), i);
    }
    QCOMPARE(lines(list), (QStringList{QStringLiteral("0:  Result of Printer.Open:  OPOS_SUCCESS"),
                                       QStringLiteral("1-StatusUpdateEvent: 24: PTR_SUE_REC_EMPTY"),
                                       QStringLiteral("2")}));
}

void TestMainWindow::logResultTranslatesTheCode() {
    frm_Sample& window = mainWindow();
    window.AddStatusLine(QStringLiteral(":  first"));
    window.LogResult(101, QStringLiteral(":  Result of Printer.Claim:  "));
    window.LogResult(0, QStringLiteral(":  Result of Printer.Open:  "));
    QCOMPARE(lines(window.lstStatusResults),
             (QStringList{QStringLiteral("0:  first"),
                          QStringLiteral("1:  Result of Printer.Claim:  OPOS_E_CLOSED"),
                          QStringLiteral("2:  Result of Printer.Open:  OPOS_SUCCESS")}));
    QCOMPARE(window.MyErrDesc, QStringLiteral("OPOS_SUCCESS"));
    QCOMPARE(window.lstStatusResults->ListIndex(), 2);
    QCOMPARE(window.Counter, 3);
}

void TestMainWindow::controlsSitInTheirDesignedPlaces() {
    frm_Sample& window = mainWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QStringLiteral("Posling"));
    QCOMPARE(window.centralWidget()->size(), QSize(617, 316));
    QCOMPARE(child<QLabel>(window, "TarvoLogo")->geometry(), QRect(8, 8, 144, 99));
    QCOMPARE(child<QLabel>(window, "TarvoLogo")->pixmap().size(), QSize(200, 123));
    QLabel* title = child<QLabel>(window, "Label1");
    QCOMPARE(title->text(), QStringLiteral("Tarvo USB Receipt Printer"));
    QCOMPARE(title->geometry(), QRect(192, 8, 385, 33));
    QVERIFY(title->font().pointSizeF() <= 24.0);
    QVERIFY(title->fontMetrics().horizontalAdvance(title->text()) <= title->width());
    QCOMPARE(buttonByCaption(&window, QStringLiteral("Printer"))->geometry(), QRect(200, 64, 105, 33));
    QCOMPARE(buttonByCaption(&window, QStringLiteral("CashDrawer"))->geometry(), QRect(328, 64, 105, 33));
    QAbstractButton* exitButton = buttonByCaption(&window, QStringLiteral("Exit"));
    QCOMPARE(exitButton->geometry(), QRect(456, 64, 105, 33));
    QVERIFY(exitButton->font().bold());
    QCOMPARE(exitButton->font().pointSizeF(), 9.75);
    QCOMPARE(window.lstStatusResults->geometry(), QRect(8, 120, 601, 184));
    const QPalette palette = window.lstStatusResults->palette();
    QCOMPARE(palette.color(QPalette::Text), QColor(0, 0, 128));
    QCOMPARE(palette.color(QPalette::Base), window.palette().color(QPalette::Button));
}

void TestMainWindow::onlyTheStatusListGrows() {
    frm_Sample& window = mainWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect exitPlace = buttonByCaption(&window, QStringLiteral("Exit"))->geometry();
    window.resize(window.size() + QSize(100, 60));
    QTRY_COMPARE(window.lstStatusResults->geometry(), QRect(8, 120, 701, 244));
    QCOMPARE(buttonByCaption(&window, QStringLiteral("Exit"))->geometry(), exitPlace);
    QCOMPARE(child<QLabel>(window, "Label1")->geometry(), QRect(192, 8, 385, 33));
}

void TestMainWindow::centresOnTheScreen() {
    frm_Sample& window = mainWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect available = window.screen()->availableGeometry();
    QCOMPARE(window.frameGeometry().topLeft(), centredTopLeft(available, window.frameGeometry().size()));
}

void TestMainWindow::focusStartsOnPrinterAndTabsInOrder() {
    frm_Sample& window = mainWindow();
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QAbstractButton* printer = buttonByCaption(&window, QStringLiteral("Printer"));
    QCOMPARE(QApplication::focusWidget(), printer);

    QList<QWidget*> order;
    for (QWidget* w = printer; order.size() < 4; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w;
    }
    QCOMPARE(order,
             (QList<QWidget*>{printer, buttonByCaption(&window, QStringLiteral("CashDrawer")),
                              buttonByCaption(&window, QStringLiteral("Exit")), window.lstStatusResults}));
}

void TestMainWindow::menusAndShortcut() {
    frm_Sample& window = mainWindow();
    const QList<QAction*> top = window.menuBar()->actions();
    QCOMPARE(top.size(), 2);
    QCOMPARE(top.at(0)->text(), QStringLiteral("&File"));
    QCOMPARE(top.at(0)->menu()->objectName(), QStringLiteral("MenuCtrlFile"));
    QCOMPARE(top.at(1)->text(), QStringLiteral("&Help"));
    QCOMPARE(top.at(1)->menu()->objectName(), QStringLiteral("MenuCtrlHelp"));

    const QList<QAction*> file = top.at(0)->menu()->actions();
    QCOMPARE(file, (QList<QAction*>{action(window, "MenuCtrlFileExit")}));
    QCOMPARE(file.at(0)->text(), QStringLiteral("&Exit"));
    QCOMPARE(file.at(0)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));

    const QList<QAction*> help = top.at(1)->menu()->actions();
    QCOMPARE(help, (QList<QAction*>{action(window, "UsingSampApp"), action(window, "MenuCtrlHelpAbout")}));
    QCOMPARE(help.at(0)->text(), QStringLiteral("&Using Sample App"));
    QCOMPARE(help.at(1)->text(), QStringLiteral("&About"));

    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_X, Qt::ControlModifier);
    QVERIFY(window.isUnloaded());
}

void TestMainWindow::everyInputHasAnAccessibleName() {
    frm_Sample& window = mainWindow();
    QVERIFY(!window.lstStatusResults->accessibleName().isEmpty());
    for (QAbstractButton* button : window.centralWidget()->findChildren<QAbstractButton*>())
        QVERIFY2(!button->text().isEmpty() || !button->accessibleName().isEmpty(),
                 qPrintable(button->objectName()));
}

void TestMainWindow::dialogsAreModalAndCloseByKey_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("title");
    for (const auto& [name, key] : {std::pair{"Enter", Qt::Key_Return}, std::pair{"Esc", Qt::Key_Escape}}) {
        QTest::addRow("About, %s", name) << "MenuCtrlHelpAbout" << int(key) << "About the Posling";
        QTest::addRow("Using, %s", name) << "UsingSampApp" << int(key) << "Using the Posling";
    }
}

void TestMainWindow::dialogsAreModalAndCloseByKey() {
    QFETCH(QString, item);
    QFETCH(int, key);
    QFETCH(QString, title);
    frm_Sample& window = mainWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    ModalSeen seen;
    pressKeyInNextModal(key, &seen);
    action(window, qPrintable(item))->trigger();

    QCOMPARE(seen.title, title);
    QVERIFY(seen.modal);
    QVERIFY(seen.closedByKey);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(!FormInstance<frmAbout>::isLoaded());
    QVERIFY(!FormInstance<frmUsingSampleApp>::isLoaded());
    QVERIFY(!window.isUnloaded());
}

void TestMainWindow::aboutIsCentredEachTime() {
    frm_Sample& window = mainWindow();
    const QRect available = window.screen()->availableGeometry();
    for (int round = 0; round < 2; ++round) {
        ModalSeen seen;
        pressKeyInNextModal(Qt::Key_Return, &seen);
        window.MenuCtrlHelpAbout_Click(3);
        QVERIFY(seen.closedByKey);
        QCOMPARE(seen.position, centredTopLeft(available, seen.outerSize));
    }
}

void TestMainWindow::usingTextsKeepTheirBlanks() {
    frmUsingSampleApp& dialog = FormInstance<frmUsingSampleApp>::get();
    const auto text = [&](const char* name) {
        return dialog.findChild<QLabel*>(QString::fromLatin1(name))->text();
    };
    QCOMPARE(text("Label4"), QStringLiteral("For technical support with the OPOS driver  please contact "
                                            "<specify web site>.") +
                                 QString(41, QLatin1Char(' ')) + QStringLiteral("Subject: Service inquiry"));
    QVERIFY(text("Label1").endsWith(QStringLiteral(
        ".  This program can be used to test the installation of the Service Object for "
        "POSPrinter and CashDrawer devices.  This program requires the user to install the OPOS "
        "common Control Objects for it to function.")));
    QVERIFY(text("Label2").contains(QStringLiteral("type \"\\1B\" (without the quotes).  The \"OneShot\"")));
    QVERIFY(text("Label2").endsWith(QStringLiteral("\\1B|4C which will be parsed and sent as <ESC>|4C.")));
}

void TestMainWindow::deviceButtonsShowOneWindowEach_data() {
    QTest::addColumn<QString>("caption");
    QTest::newRow("Printer") << "Printer";
    QTest::newRow("CashDrawer") << "CashDrawer";
}

void TestMainWindow::deviceButtonsShowOneWindowEach() {
    QFETCH(QString, caption);
    frm_Sample& window = mainWindow();
    window.show();
    QAbstractButton* button = buttonByCaption(&window, caption);
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseClick(button, Qt::LeftButton);

    QList<QWidget*> shown;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if ((qobject_cast<frmPrinter*>(top) || qobject_cast<frmCashDrawer*>(top)) && top->isVisible())
            shown << top;
    }
    QCOMPARE(shown.size(), 1);
    if (caption == QStringLiteral("Printer"))
        QCOMPARE(shown.at(0), &FormInstance<frmPrinter>::get());
    else
        QCOMPARE(shown.at(0), &FormInstance<frmCashDrawer>::get());
}

void TestMainWindow::shutdown_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("printerOpen");
    QTest::addColumn<bool>("drawerOpen");
    QTest::addColumn<QStringList>("closes");
    const QStringList printerClose{QStringLiteral("printer.Close")};
    const QStringList bothClose{QStringLiteral("printer.Close"), QStringLiteral("drawer.Close")};
    for (const char* way : {"Exit button", "File Exit", "close box"}) {
        QTest::addRow("%s, nothing open", way) << way << false << false << QStringList();
        QTest::addRow("%s, printer open", way) << way << true << false << printerClose;
        QTest::addRow("%s, drawer open", way) << way << false << true << QStringList{"drawer.Close"};
        QTest::addRow("%s, both open", way) << way << true << true << bothClose;
    }
}

// Each device is closed once, printer first, nothing is logged, and the main window goes away.
void TestMainWindow::shutdown() {
    QFETCH(QString, way);
    QFETCH(bool, printerOpen);
    QFETCH(bool, drawerOpen);
    QFETCH(QStringList, closes);
    frm_Sample& window = mainWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.AddStatusLine(QStringLiteral(":  before"));
    if (printerOpen)
        FormInstance<frmPrinter>::get().OPOSPOSPrinter1->Open(QStringLiteral("Z901"));
    if (drawerOpen)
        FormInstance<frmCashDrawer>::get().OPOSCashDrawer1->Open(QStringLiteral("Z901-1"));
    m_fakes->log->clear();

    if (way == QStringLiteral("Exit button"))
        QTest::mouseClick(buttonByCaption(&window, QStringLiteral("Exit")), Qt::LeftButton);
    else if (way == QStringLiteral("File Exit"))
        action(window, "MenuCtrlFileExit")->trigger();
    else
        window.close();

    QCOMPARE(*m_fakes->log, closes);
    QVERIFY(window.isUnloaded());
    QVERIFY(!window.isVisible());
    QCOMPARE(window.lstStatusResults->ListCount(), 1);
    QCOMPARE(window.Counter, 1);
    QVERIFY(!FormInstance<frmPrinter>::isLoaded());
    QVERIFY(!FormInstance<frmCashDrawer>::isLoaded());
}

void TestMainWindow::shutdownUnloadsTheOtherWindows() {
    frm_Sample& window = mainWindow();
    window.show();
    FormInstance<frmPrinter>::get().Display();
    FormInstance<frmCashDrawer>::get().Display();
    FormInstance<frmUsingSampleApp>::get();
    QPointer<QWidget> printer = &FormInstance<frmPrinter>::get();

    window.cmdExit_Click();
    QVERIFY(!FormInstance<frmPrinter>::isLoaded());
    QVERIFY(!FormInstance<frmCashDrawer>::isLoaded());
    QVERIFY(!FormInstance<frmUsingSampleApp>::isLoaded());
    QVERIFY(!printer->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(printer.isNull());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
