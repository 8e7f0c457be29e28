#include "common/fakecashdrawer.h"
#include "common/windowtesting.h"
#include "drawer/frmcashdrawer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTest>

class TestFrmCashDrawer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();

    void buttonMakesOneCallAndLogsOneLine_data();
    void buttonMakesOneCallAndLogsOneLine();
    void statusUpdateEvent_data();
    void statusUpdateEvent();
    void closingTheWindowClosesAnOpenDevice_data();
    void closingTheWindowClosesAnOpenDevice();
    void reopenedWindowHasANewClosedControl();
    void layoutFocusAndTabOrder();

private:
    frmCashDrawer* window = nullptr;
    FakeCashDrawer* fake = nullptr;

    void click(const QString& name) { window->findChild<QAbstractButton*>(name)->click(); }
};

void TestFrmCashDrawer::initTestCase() {
    FakeCashDrawer::install();
    mainWindow();
}

void TestFrmCashDrawer::init() {
    loadOverFake(window, fake, &frmCashDrawer::OPOSCashDrawer1);
}

void TestFrmCashDrawer::buttonMakesOneCallAndLogsOneLine_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<qint32>("answer");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("line");

    QTest::newRow("open") << "cmdOpenSOCashDrawer1" << 0 << QStringList{"Open(\"Z901-1\")"}
                          << ":  Result of CashDrawer1.Open:  OPOS_SUCCESS";
    QTest::newRow("enable before open")
        << "cmdCashDrawer1Enable" << 101 << QStringList{"setDeviceEnabled(true)", "ResultCode()"}
        << ":  Result of CashDrawer1.Enable:  OPOS_E_CLOSED";
    QTest::newRow("kick") << "cmdCashDrawer1Kick" << 105 << QStringList{"OpenDrawer()"}
                          << ":  Result of CashDrawer1.OpenDrawer:  OPOS_E_DISABLED";
    QTest::newRow("disable") << "cmdCashDrawer1Disable" << 0
                             << QStringList{"setDeviceEnabled(false)", "ResultCode()"}
                             << ":  Result of CashDrawer1.Disable:  OPOS_SUCCESS";
    QTest::newRow("close twice") << "cmdCashDrawer1Close" << 101 << QStringList{"Close()"}
                                 << ":  Result of CashDrawer1.Close:  OPOS_E_CLOSED";
}

void TestFrmCashDrawer::buttonMakesOneCallAndLogsOneLine() {
    QFETCH(QString, button);
    QFETCH(qint32, answer);
    QFETCH(QStringList, calls);
    QFETCH(QString, line);

    fake->defaultResult = answer;
    const int before = mainWindow().Counter;
    click(button);
    QCOMPARE(fake->takeCalls(), calls);
    click(button);
    QCOMPARE(fake->takeCalls(), calls);

    QCOMPARE(linesSince(before),
             (QStringList{QString::number(before) + line, QString::number(before + 1) + line}));
    QCOMPARE(mainWindow().Counter, before + 2);
    QCOMPARE(mainWindow().lstStatusResults->ListIndex(), before + 1);
}

void TestFrmCashDrawer::statusUpdateEvent_data() {
    QTest::addColumn<qint32>("data");
    QTest::addColumn<QString>("line");
    QTest::newRow("closed") << 0 << "-StatusUpdateEvent: 0 : Drawer 1 is Closed";
    QTest::newRow("open") << 1 << "-StatusUpdateEvent: 1 : Drawer 1 is Open";
    QTest::newRow("other non-zero") << 7 << "-StatusUpdateEvent: 7 : Drawer 1 is Open";
    QTest::newRow("negative") << -1 << "-StatusUpdateEvent: -1 : Drawer 1 is Open";
}

void TestFrmCashDrawer::statusUpdateEvent() {
    QFETCH(qint32, data);
    QFETCH(QString, line);
    mainWindow().MyErrDesc = QStringLiteral("OPOS_E_BUSY");
    const int before = mainWindow().Counter;
    Q_EMIT fake->StatusUpdateEvent(data);
    QCOMPARE(linesSince(before), QStringList{QString::number(before) + line});
    QCOMPARE(mainWindow().MyErrDesc, QStringLiteral("OPOS_E_BUSY"));
    QCOMPARE(fake->calls, QStringList{});
}

void TestFrmCashDrawer::closingTheWindowClosesAnOpenDevice_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::addColumn<qint32>("state");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("close form, closed device") << false << 1 << QStringList{"State()"};
    QTest::newRow("close form, open device") << false << 2 << QStringList{"State()", "Close()"};
    QTest::newRow("close box, open device") << true << 2 << QStringList{"State()", "Close()"};
    QTest::newRow("close box, closed device") << true << 1 << QStringList{"State()"};
}

void TestFrmCashDrawer::closingTheWindowClosesAnOpenDevice() {
    QFETCH(bool, closeBox);
    QFETCH(qint32, state);
    QFETCH(QStringList, calls);
    window->Display();
    fake->state = state;
    const int before = mainWindow().Counter;
    if (closeBox)
        window->close();
    else
        click(QStringLiteral("cmdCloseForm"));
    QCOMPARE(fake->takeCalls(), calls);
    QVERIFY(!FormInstance<frmCashDrawer>::isLoaded());
    QCOMPARE(mainWindow().Counter, before);
    FormInstance<frmCashDrawer>::unload();
    QCOMPARE(fake->calls, QStringList{});
}

void TestFrmCashDrawer::reopenedWindowHasANewClosedControl() {
    mainWindow().cmdLoadCashDrawer_Click();
    mainWindow().cmdLoadCashDrawer_Click();
    QCOMPARE(&FormInstance<frmCashDrawer>::get(), window);
    click(QStringLiteral("cmdOpenSOCashDrawer1"));
    const QPointer<FakeCashDrawer> old = fake;
    click(QStringLiteral("cmdCloseForm"));
    processDeferredDeletes();
    QVERIFY(old.isNull());

    mainWindow().cmdLoadCashDrawer_Click();
    window = &FormInstance<frmCashDrawer>::get();
    QVERIFY(window->isVisible());
    QCOMPARE(window->OPOSCashDrawer1, FakeCashDrawer::last());
    QCOMPARE(window->OPOSCashDrawer1->State(), 1);
}

void TestFrmCashDrawer::layoutFocusAndTabOrder() {
    QCOMPARE(window->windowTitle(), QStringLiteral("Cash Drawer Example"));
    QCOMPARE(window->size(), QSize(153, 340)); // 2295 x 5100 twips
    window->Display();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));

    const QStringList expected{"cmdCloseForm",       "cmdOpenSOCashDrawer1",  "cmdCashDrawer1Enable",
                               "cmdCashDrawer1Kick", "cmdCashDrawer1Disable", "cmdCashDrawer1Close"};
    QWidget* first = window->findChild<QWidget*>(expected.first());
    QCOMPARE(QApplication::focusWidget(), first);
    QStringList order;
    QWidget* w = first;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && window->isAncestorOf(w)) {
            order << w->objectName();
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        }
        w = w->nextInFocusChain();
    } while (w != first && order.size() <= expected.size());
    QCOMPARE(order, expected);

    const QFont title = window->findChild<QLabel*>(QStringLiteral("Label1"))->font();
    QCOMPARE(title.pointSizeF(), 9.75);
    QVERIFY(title.bold());
    QCOMPARE(window->findChild<QWidget*>(QStringLiteral("cmdCashDrawer1Kick"))->font().pointSizeF(), 8.25);

    // Every caption shows whole on screen.
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) < button->width(),
                 qPrintable(button->text()));
    for (QLabel* label : window->findChildren<QLabel*>())
        QVERIFY2(label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                   : label->sizeHint().width() <= label->width(),
                 qPrintable(label->text()));
}

QTEST_MAIN(TestFrmCashDrawer)
#include "tst_frmcashdrawer.moc"
