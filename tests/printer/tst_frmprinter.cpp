#include "common/fakeposprinter.h"
#include "common/statechange.h"
#include "common/windowtesting.h"
#include "printer/frmprinter.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

class TestFrmPrinter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();

    void buttonMakesOneCallAndLogsOneLine_data();
    void buttonMakesOneCallAndLogsOneLine();
    void claimTimeOutText_data();
    void claimTimeOutText();
    void asyncModeBoxLogsEachChange_data();
    void asyncModeBoxLogsEachChange();
    void printLineUsesReceiptStationAndCrLf();
    void hoveredLineExplainsItsCode();

    void errorEvent_data();
    void errorEvent();
    void errorEventAfterExtendedShowsNoExtendedPart();
    void statusUpdateEvent_data();
    void statusUpdateEvent();
    void outputCompleteEventLeavesResultTextAlone();

    void closeFormClosesAnOpenDeviceOnce_data();
    void closeFormClosesAnOpenDeviceOnce();
    void closeBoxClosesAnOpenDevice();
    void neverSmallerThanDesigned();
    void longPasteIsPrintedWhole();
    void reopenedWindowStartsFresh();
    void displayTwiceShowsOneWindow();

    void controlsSitInTheirDesignedPlaces_data();
    void controlsSitInTheirDesignedPlaces();
    void focusStartsOnRotateNormalAndTabsInOrder();
    void everyInputHasAnAccessibleName();

private:
    frmPrinter* window = nullptr;
    FakePosPrinter* fake = nullptr;

    void click(const char* name) { window->findChild<QAbstractButton*>(QLatin1String(name))->click(); }
    QLineEdit* edit(const char* name) { return window->findChild<QLineEdit*>(QLatin1String(name)); }
};

void TestFrmPrinter::initTestCase() {
    FakePosPrinter::install();
    mainWindow();
}

// Every test starts from a freshly loaded window with an untouched control.
void TestFrmPrinter::init() {
    loadOverFake(window, fake, &frmPrinter::OPOSPOSPrinter1);
}

void TestFrmPrinter::buttonMakesOneCallAndLogsOneLine_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<qint32>("answer");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("line");

    QTest::newRow("open") << "cmdOpenPrinter" << 0 << QStringList{"Open(\"Z901\")"}
                          << ":  Result of Printer.Open:  OPOS_SUCCESS";
    QTest::newRow("claim with untouched box") << "cmdClaimPrinter" << 101 << QStringList{"Claim(10000)"}
                                              << ":  Result of Printer.Claim:  OPOS_E_CLOSED";
    QTest::newRow("enable reads ResultCode after the set")
        << "cmdEnablePrinter" << 103 << QStringList{"setDeviceEnabled(true)", "ResultCode()"}
        << ":  Result of Printer.Enable:  OPOS_E_NOTCLAIMED";
    QTest::newRow("disable") << "cmdDisablePrinter" << 0
                             << QStringList{"setDeviceEnabled(false)", "ResultCode()"}
                             << ":  Result of Printer.Disable:  OPOS_SUCCESS";
    QTest::newRow("release") << "cmdReleasePrinter" << 103 << QStringList{"ReleaseDevice()"}
                             << ":  Result of Printer.ReleaseDevice:  OPOS_E_NOTCLAIMED";
    QTest::newRow("close") << "cmdClosePrinter" << 101 << QStringList{"Close()"}
                           << ":  Result of Printer.Close:  OPOS_E_CLOSED";
    QTest::newRow("print normal decodes, adds no line end")
        << "cmdPrintNormal" << 105 << QStringList{"PrintNormal(2,\"Type something here<0A>\")"}
        << ":  Result of Printer.PrintNormal:  OPOS_E_DISABLED";
    QTest::newRow("cut") << "cmdCutPaper" << 0 << QStringList{"CutPaper(100)"}
                         << ":  Result of Printer.Cut Paper:  OPOS_SUCCESS";
    QTest::newRow("feed sends the six characters")
        << "cmdLineFeed" << 0 << QStringList{"PrintNormal(2,\"<1B>|10lF\")"}
        << ": 10 Line Feeds - OPOS_SUCCESS";
    QTest::newRow("rotate left") << "cmdRotateLeft90" << 106 << QStringList{"RotatePrint(2,258)"}
                                 << ":  Result of Printer.RotatePrint:  OPOS_E_ILLEGAL";
    QTest::newRow("rotate normal") << "cmdRotateNormal" << 0 << QStringList{"RotatePrint(2,1)"}
                                   << ":  Result of Printer.RotatePrint:  OPOS_SUCCESS";
    QTest::newRow("unknown answer") << "cmdOpenPrinter" << -1 << QStringList{"Open(\"Z901\")"}
                                    << ":  Result of Printer.Open:  Unknown Error";
    QTest::newRow("bar code button makes no call") << "Command1" << 0 << QStringList{} << "";
}

void TestFrmPrinter::buttonMakesOneCallAndLogsOneLine() {
    QFETCH(QString, button);
    QFETCH(qint32, answer);
    QFETCH(QStringList, calls);
    QFETCH(QString, line);

    fake->defaultResult = answer;
    const int before = mainWindow().Counter;
    for (int press = 0; press < 2; ++press) {
        click(button.toLatin1().constData());
        QCOMPARE(fake->takeCalls(), calls);
    }

    const QStringList expected =
        line.isEmpty() ? QStringList{}
                       : QStringList{QString::number(before) + line, QString::number(before + 1) + line};
    QCOMPARE(linesSince(before), expected);
    QCOMPARE(mainWindow().Counter, before + int(expected.size()));
    if (!line.isEmpty())
        QCOMPARE(mainWindow().lstStatusResults->ListIndex(), before + 1);
}

void TestFrmPrinter::claimTimeOutText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("forever is passed on") << "-1" << QStringList{"Claim(-1)"};
    QTest::newRow("blanks and sign") << " +250 " << QStringList{"Claim(250)"};
    QTest::newRow("half goes to even") << "2.5" << QStringList{"Claim(2)"};
    QTest::newRow("smallest 32-bit") << "-2147483648" << QStringList{"Claim(-2147483648)"};
    QTest::newRow("not a number") << "abc" << QStringList{};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("beyond 32 bits") << "2147483648" << QStringList{};
    QTest::newRow("thousands separator") << "10,000" << QStringList{};
}

void TestFrmPrinter::claimTimeOutText() {
    QFETCH(QString, text);
    QFETCH(QStringList, calls);

    edit("txtTimeOut")->setText(text);
    const int before = mainWindow().Counter;
    mainWindow().MyErrDesc = QStringLiteral("untouched");
    click("cmdClaimPrinter");

    QCOMPARE(fake->takeCalls(), calls);
    const QString label = QString::number(before) + QStringLiteral(":  Result of Printer.Claim:  ");
    const QString expected =
        calls.isEmpty()
            ? label + QStringLiteral("Time-out must be a whole number of milliseconds: \"%1\"").arg(text)
            : label + QStringLiteral("OPOS_SUCCESS");
    QCOMPARE(linesSince(before), QStringList{expected});
    QCOMPARE(mainWindow().Counter, before + 1);
}

void TestFrmPrinter::asyncModeBoxLogsEachChange_data() {
    addStateChangeRows();
}

void TestFrmPrinter::asyncModeBoxLogsEachChange() {
    QFETCH(StateChange, way);
    auto* box = window->findChild<QAbstractButton*>(QStringLiteral("chkSyncMode"));
    fake->results.insert(QStringLiteral("AsyncMode"), 106);
    const int before = mainWindow().Counter;
    changeState(box, way);
    QCOMPARE(fake->takeCalls(), (QStringList{"setAsyncMode(true)", "ResultCode()"}));
    fake->results.insert(QStringLiteral("AsyncMode"), 0);
    changeState(box, way);
    QCOMPARE(fake->takeCalls(), (QStringList{"setAsyncMode(false)", "ResultCode()"}));

    QCOMPARE(linesSince(before),
             (QStringList{QString::number(before) + ":  AsyncMode = TRUE :  OPOS_E_ILLEGAL",
                          QString::number(before + 1) + ":  AsyncMode = FALSE :  OPOS_SUCCESS"}));
    QCOMPARE(mainWindow().result, QStringLiteral("AsyncMode = FALSE"));
}

void TestFrmPrinter::printLineUsesReceiptStationAndCrLf() {
    window->MyStation = 4; // PrintLine does not follow MyStation; the buttons do
    const int before = mainWindow().Counter;
    window->PrintLine(QString());
    window->PrintLine(QStringLiteral("--State:   "));
    click("cmdRotateNormal");
    QCOMPARE(fake->takeCalls(), (QStringList{"PrintNormal(2,\"<0D><0A>\")",
                                             "PrintNormal(2,\"--State:   <0D><0A>\")", "RotatePrint(4,1)"}));
    QCOMPARE(linesSince(before).first(),
             QString::number(before) + ":  Result of Printer.PrintNormal:  OPOS_SUCCESS");
}

void TestFrmPrinter::hoveredLineExplainsItsCode() {
    fake->defaultResult = 103;
    click("cmdEnablePrinter");
    const StatusList& list = *mainWindow().lstStatusResults;
    QVERIFY(list.lineToolTip);
    QCOMPARE(list.lineToolTip(list.List(list.ListCount() - 1)),
             QStringLiteral("Claim the device before enabling it"));
}

void TestFrmPrinter::errorEvent_data() {
    QTest::addColumn<qint32>("resultCode");
    QTest::addColumn<qint32>("extended");
    QTest::addColumn<qint32>("locus");
    QTest::addColumn<qint32>("response");
    QTest::addColumn<qint32>("controlExtended");
    QTest::addColumn<QString>("line");

    QTest::newRow("not extended: empty extended part")
        << 111 << 0 << 1 << 11 << 0
        << ":  ErrorEvent: 111: OPOS_E_FAILURE: ; 1: OPOS_EL_OUTPUT; 11: OPOS_ER_RETRY";
    QTest::newRow("extended text twice") << 114 << 203 << 1 << 12 << 203
                                         << ":  ErrorEvent: 114: OPOS_E_EXTENDED:  OPOS_EPTR_REC_EMPTY: 203: "
                                            "OPOS_EPTR_REC_EMPTY; 1: OPOS_EL_OUTPUT; "
                                            "12: OPOS_ER_CLEAR";
    QTest::newRow("extended number from the event, text from the control")
        << 114 << 201 << 1 << 11 << 203
        << ":  ErrorEvent: 114: OPOS_E_EXTENDED:  OPOS_EPTR_REC_EMPTY: 201: OPOS_EPTR_REC_EMPTY; 1: "
           "OPOS_EL_OUTPUT; "
           "11: OPOS_ER_RETRY";
    QTest::newRow("unknown locus and response") << 108 << 0 << 0 << 0 << 0
                                                << ":  ErrorEvent: 108: OPOS_E_OFFLINE: ; 0: Unknown "
                                                   "ErrorLocus; 0: pErrorResponse incorrect or unavailable";
    QTest::newRow("negative numbers") << -3 << -7 << 4 << -12 << 0
                                      << ":  ErrorEvent: -3: Unknown Error: ; 4: Unknown ErrorLocus; -12: "
                                         "pErrorResponse incorrect or unavailable";
    QTest::newRow("continue input") << 111 << 0 << 3 << 13 << 0
                                    << ":  ErrorEvent: 111: OPOS_E_FAILURE: ; 3: OPOS_EL_INPUT_DATA; 13: "
                                       "OPOS_ER_CONTINUEINPUT";
}

void TestFrmPrinter::errorEvent() {
    QFETCH(qint32, resultCode);
    QFETCH(qint32, extended);
    QFETCH(qint32, locus);
    QFETCH(qint32, response);
    QFETCH(qint32, controlExtended);
    QFETCH(QString, line);

    fake->resultCodeExtended = controlExtended;
    const int before = mainWindow().Counter;
    qint32 proposed = response;
    Q_EMIT fake->ErrorEvent(resultCode, extended, locus, &proposed);

    QCOMPARE(proposed, response);
    QCOMPARE(linesSince(before), QStringList{QString::number(before) + line});
    QCOMPARE(mainWindow().Counter, before + 1);
    QCOMPARE(mainWindow().lstStatusResults->ListIndex(), before);
}

void TestFrmPrinter::errorEventAfterExtendedShowsNoExtendedPart() {
    fake->resultCodeExtended = 201;
    const int before = mainWindow().Counter;
    qint32 response = 11;
    Q_EMIT fake->ErrorEvent(114, 201, 1, &response);
    Q_EMIT fake->ErrorEvent(112, 201, 1, &response);
    QCOMPARE(linesSince(before).last(),
             QString::number(before + 1) +
                 ":  ErrorEvent: 112: OPOS_E_TIMEOUT: ; 1: OPOS_EL_OUTPUT; 11: OPOS_ER_RETRY");
    QCOMPARE(mainWindow().MyExtErrDesc, QString());
}

void TestFrmPrinter::statusUpdateEvent_data() {
    QTest::addColumn<qint32>("data");
    QTest::addColumn<QString>("line");
    QTest::newRow("paper out") << 24 << "-StatusUpdateEvent: 24: PTR_SUE_REC_EMPTY";
    QTest::newRow("idle") << 1001 << "-StatusUpdateEvent: 1001: PTR_SUE_IDLE";
    QTest::newRow("unknown") << 2001 << "-StatusUpdateEvent: 2001: Unknown SUE";
    QTest::newRow("negative") << -24 << "-StatusUpdateEvent: -24: Unknown SUE";
}

void TestFrmPrinter::statusUpdateEvent() {
    QFETCH(qint32, data);
    QFETCH(QString, line);
    const int before = mainWindow().Counter;
    Q_EMIT fake->StatusUpdateEvent(data);
    QCOMPARE(linesSince(before), QStringList{QString::number(before) + line});
}

void TestFrmPrinter::outputCompleteEventLeavesResultTextAlone() {
    mainWindow().MyErrDesc = QStringLiteral("OPOS_E_BUSY");
    const int before = mainWindow().Counter;
    Q_EMIT fake->OutputCompleteEvent(0);
    Q_EMIT fake->OutputCompleteEvent(-5);
    QCOMPARE(linesSince(before),
             (QStringList{QString::number(before) + ": Output Event Complete. ID: 0",
                          QString::number(before + 1) + ": Output Event Complete. ID: -5"}));
    QCOMPARE(mainWindow().MyErrDesc, QStringLiteral("OPOS_E_BUSY"));
}

void TestFrmPrinter::closeFormClosesAnOpenDeviceOnce_data() {
    QTest::addColumn<qint32>("state");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("never opened") << 1 << QStringList{"State()", "State()"};
    QTest::newRow("idle") << 2 << QStringList{"State()", "Close()", "State()"};
    QTest::newRow("error state") << 4 << QStringList{"State()", "Close()", "State()"};
}

void TestFrmPrinter::closeFormClosesAnOpenDeviceOnce() {
    QFETCH(qint32, state);
    QFETCH(QStringList, calls);
    fake->state = state;
    window->Display();
    const int before = mainWindow().Counter;
    QPointer<FakePosPrinter> control = fake;

    click("cmdCloseForm");
    QCOMPARE(fake->takeCalls(), calls);
    QVERIFY(!FormInstance<frmPrinter>::isLoaded());
    QVERIFY(!window->isVisible());
    QCOMPARE(mainWindow().Counter, before);
    processDeferredDeletes();
    QVERIFY(control.isNull());
}

void TestFrmPrinter::closeBoxClosesAnOpenDevice() {
    window->Display();
    click("cmdOpenPrinter");
    fake->takeCalls();
    const int before = mainWindow().Counter;
    window->close();
    QCOMPARE(fake->takeCalls(), (QStringList{"State()", "Close()"}));
    QCOMPARE(mainWindow().Counter, before);
    FormInstance<frmPrinter>::unload(); // already unloaded: nothing more
    QCOMPARE(fake->calls, QStringList{});
}

// Shrunk by the user, the window stops at its designed size, so no button is clipped.
void TestFrmPrinter::neverSmallerThanDesigned() {
    window->Display();
    const QSize designed = window->size();
    window->resize(designed / 2);
    QCOMPARE(window->size(), designed);
}

// A paste of a long receipt reaches PrintNormal whole.
void TestFrmPrinter::longPasteIsPrintedWhole() {
    window->Display();
    QApplication::clipboard()->setText(QString(102424, u'x'));
    edit("txtTextToPrint")->clear();
    edit("txtTextToPrint")->paste();
    fake->takeCalls();
    click("cmdPrintNormal");
    const QStringList calls = fake->takeCalls();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls.first().count(u'x'), 102424);
}

void TestFrmPrinter::reopenedWindowStartsFresh() {
    window->Display();
    edit("txtTimeOut")->setText(QStringLiteral("5"));
    edit("txtTextToPrint")->setText(QStringLiteral("other"));
    click("chkSyncMode");
    window->MyStation = 4;
    click("cmdCloseForm");
    processDeferredDeletes();

    const qsizetype made = FakePosPrinter::created().size();
    FormInstance<frmPrinter>::get().Display();
    window = &FormInstance<frmPrinter>::get();
    QCOMPARE(FakePosPrinter::created().size(), made + 1);
    QCOMPARE(window->OPOSPOSPrinter1, FakePosPrinter::last());
    QCOMPARE(window->OPOSPOSPrinter1->State(), 1);
    QCOMPARE(window->MyStation, 2);
    QCOMPARE(edit("txtTimeOut")->text(), QStringLiteral("10000"));
    QCOMPARE(edit("txtTextToPrint")->text(), QStringLiteral("Type something here\\0a"));
    QVERIFY(!window->findChild<QCheckBox*>(QStringLiteral("chkSyncMode"))->isChecked());
}

void TestFrmPrinter::displayTwiceShowsOneWindow() {
    const qsizetype made = FakePosPrinter::created().size();
    mainWindow().cmdLoadPrinter_Click();
    mainWindow().cmdLoadPrinter_Click();
    QCOMPARE(&FormInstance<frmPrinter>::get(), window);
    QVERIFY(window->isVisible());
    QCOMPARE(FakePosPrinter::created().size(), made);
    int printerWindows = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        printerWindows += qobject_cast<frmPrinter*>(w) && w->isVisible() ? 1 : 0;
    QCOMPARE(printerWindows, 1);
}

// Places are designed in twips, 15 to the pixel.
void TestFrmPrinter::controlsSitInTheirDesignedPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    const std::pair<const char*, QRect> table[] = {
        {"Label2", {240, 120, 3975, 375}},
        {"Shape4", {240, 600, 1575, 1575}},
        {"cmdOpenPrinter", {360, 720, 1332, 372}},
        {"cmdClaimPrinter", {360, 1200, 1332, 372}},
        {"cmdEnablePrinter", {360, 1680, 1332, 372}},
        {"Shape1", {240, 2280, 1575, 1575}},
        {"cmdDisablePrinter", {360, 2400, 1332, 372}},
        {"cmdReleasePrinter", {360, 2880, 1332, 372}},
        {"cmdClosePrinter", {360, 3360, 1332, 372}},
        {"cmdRotateLeft90", {2640, 720, 1575, 372}},
        {"cmdRotateNormal", {2640, 1200, 1575, 372}},
        {"Label1", {2640, 1850, 615, 255}},
        {"txtTimeOut", {3360, 1800, 852, 288}},
        {"cmdPrintProperties", {2640, 2280, 1572, 612}},
        {"Command1", {2640, 3000, 1572, 615}},
        {"chkSyncMode", {2880, 3650, 1215, 372}},
        {"cmdPrintNormal", {120, 4080, 1332, 372}},
        {"cmdCutPaper", {1560, 4080, 1332, 372}},
        {"cmdLineFeed", {3000, 4080, 1332, 372}},
        {"Label4", {120, 4560, 1572, 276}},
        {"txtTextToPrint", {120, 4800, 4212, 288}},
        {"cmdCloseForm", {1560, 5280, 1572, 372}},
    };
    for (const auto& [name, twips] : table)
        QTest::newRow(name) << QString::fromLatin1(name) << twips;
}

void TestFrmPrinter::controlsSitInTheirDesignedPlaces() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    auto px = [](int t) { return qRound(t / 15.0); };
    QCOMPARE(window->size(), QSize(297, 384));
    QWidget* control = window->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
    // A caption that does not fit its box is cut off on screen.
    if (auto* label = qobject_cast<QLabel*>(control); label && !label->wordWrap())
        QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
    if (auto* box = qobject_cast<QCheckBox*>(control))
        QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(box->text()));
    else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        // Two-line captions wrap inside their box; the others stay on one line.
        const int flags = button->inherits("WrappingButton") ? Qt::TextWordWrap | Qt::TextShowMnemonic
                                                             : Qt::TextShowMnemonic;
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const QRect needed = button->fontMetrics().boundingRect(room, flags, button->text());
        QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                 qPrintable(button->text()));
    }
}

void TestFrmPrinter::focusStartsOnRotateNormalAndTabsInOrder() {
    window->Display();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QWidget* first = window->findChild<QWidget*>(QStringLiteral("cmdRotateNormal"));
    QCOMPARE(QApplication::focusWidget(), first);

    const QStringList expected{
        "cmdRotateNormal",  "cmdRotateLeft90", "cmdCloseForm",      "txtTimeOut",         "chkSyncMode",
        "Command1",         "cmdCutPaper",     "cmdLineFeed",       "cmdPrintProperties", "cmdPrintNormal",
        "txtTextToPrint",   "cmdClosePrinter", "cmdReleasePrinter", "cmdDisablePrinter",  "cmdClaimPrinter",
        "cmdEnablePrinter", "cmdOpenPrinter"};
    QStringList order;
    QWidget* w = first;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && window->isAncestorOf(w))
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != first && order.size() <= expected.size());
    QCOMPARE(order, expected);
}

void TestFrmPrinter::everyInputHasAnAccessibleName() {
    const QList<QWidget*> inputs = window->findChildren<QWidget*>();
    int checked = 0;
    for (QWidget* input : inputs) {
        if (!(input->focusPolicy() & Qt::TabFocus))
            continue;
        ++checked;
        QVERIFY2(!input->accessibleName().isEmpty(), qPrintable(input->objectName()));
    }
    QCOMPARE(checked, 17);
}

QTEST_MAIN(TestFrmPrinter)
#include "tst_frmprinter.moc"
