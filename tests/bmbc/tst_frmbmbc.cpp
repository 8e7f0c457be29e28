#include "app/centring.h"
#include "app/messagebox.h"
#include "bmbc/frmbmbc.h"
#include "common/fakeposprinter.h"
#include "common/statechange.h"
#include "common/windowtesting.h"
#include "printer/frmprinter.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

namespace {

const QString NullText = QStringLiteral("This value cannot be NULL! Please enter a value");
const QString Range = QStringLiteral(" must be a whole number from -2147483648 to 2147483647.");
const QString Untouched = QStringLiteral("Enter Bar Code Data Here");

QString barCode(const QString& data, int symbology, int width = 3, int alignment = -2, int text = -13) {
    return QStringLiteral("PrintBarCode(2,%1,%2,162,%3,%4,%5)")
        .arg(quoted(data))
        .arg(symbology)
        .arg(width)
        .arg(alignment)
        .arg(text);
}

} // namespace

class TestFrmBMBC : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void stepsReachTheControl_data();
    void stepsReachTheControl();
    void loadStateAndLogLines();
    void pickingFromTheListResetsNothing();
    void everyOptionActsHoweverItChanges_data();
    void everyOptionActsHoweverItChanges();
    void printerWindowShowsAndUnloadsTheWindow();
    void fifthOfTheScreen_data();
    void fifthOfTheScreen();
    void controlsSitInTheirDesignedPlaces_data();
    void controlsSitInTheirDesignedPlaces();
    void tabOrderAndAccessibleNames();
    void refusalWithARealMessageBox();

private:
    frmBMBC* window = nullptr;
    FakePosPrinter* fake = nullptr;
    QList<MessageBox::Request> boxes;

    template <typename T = QWidget> T* find(const QString& name) { return window->findChild<T*>(name); }
    void click(const QString& name) { QTest::mouseClick(find(name), Qt::LeftButton); }
    void open() {
        FormInstance<frmPrinter>::get().Command1_Click();
        window = &FormInstance<frmBMBC>::get();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    void run(const QString& step);
};

void TestFrmBMBC::initTestCase() {
    FakePosPrinter::install();
    MessageBox::setHandler([this](const MessageBox::Request& request) {
        boxes << request;
        return QMessageBox::Ok;
    });
    mainWindow();
}

void TestFrmBMBC::cleanupTestCase() {
    MessageBox::setHandler({});
}

// Every test starts from freshly loaded, active windows, with no symbology recognised yet.
void TestFrmBMBC::init() {
    unloadWindows<frmPrinter>();
    QVERIFY(!FormInstance<frmBMBC>::isLoaded());
    frmBMBC::MySymbology = 0;
    FormInstance<frmPrinter>::get().Display();
    open();
    fake = FakePosPrinter::last();
    fake->takeCalls();
    boxes.clear();
}

// One user step: "click NAME", "type NAME TEXT" (click in, select all, type), "append NAME TEXT"
// (click in, type at the end), "set NAME TEXT" (from the program), "toggle NAME" (the accessible
// toggle action), "switch" (to the printer window and back) or "reopen" (Close Form, then the
// printer window's button).
void TestFrmBMBC::run(const QString& step) {
    const QString verb = step.section(u' ', 0, 0);
    const QString name = step.section(u' ', 1, 1);
    const QString text = step.section(u' ', 2);
    if (verb == u"click") {
        click(name);
    } else if (verb == u"type" || verb == u"append") {
        auto* combo = find<QComboBox>(name);
        QTest::mouseClick(combo ? combo->lineEdit() : find(name), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), verb == u"type" ? Qt::Key_A : Qt::Key_End,
                        verb == u"type" ? Qt::ControlModifier : Qt::NoModifier);
        QTest::keyClicks(QApplication::focusWidget(), text);
    } else if (verb == u"set") {
        find<QLineEdit>(name)->setText(text);
    } else if (verb == u"toggle") {
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(find(name));
        access->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    } else if (verb == u"switch") {
        FormInstance<frmPrinter>::get().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&FormInstance<frmPrinter>::get()));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    } else if (verb == u"reopen") {
        click(QStringLiteral("cmdCloseForm"));
        QVERIFY(!FormInstance<frmBMBC>::isLoaded());
        processDeferredDeletes();
        open();
    } else {
        QFAIL(qPrintable(step));
    }
}

void TestFrmBMBC::stepsReachTheControl_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("message"); // the one message box expected, if any
    QTest::addColumn<QString>("focus");   // where the focus ends, if it matters
    auto row = [](const char* name, QStringList steps, QStringList calls, QString message = {},
                  QString focus = {}) { QTest::newRow(name) << steps << calls << message << focus; };
    const QString path = quoted(QCoreApplication::applicationDirPath() + QStringLiteral("/test.bmp"));
    const QStringList print{"click cmdPrintBarCode"};
    const QStringList bareName{"set txtBMPath x.bmp"};

    row("defaults", {"click cmdPrintBarCode", "click cmdPrintBitmap", "click cmdSetBitmap"},
        {barCode(Untouched, 0), QStringLiteral("PrintBitmap(2,%1,-11,-2)").arg(path),
         QStringLiteral("SetBitmap(1,2,%1,-11,-2)").arg(path)});
    row("width 2.5 to even", QStringList{"type txtBCWManual 2.5"} + print, {barCode(Untouched, 0, 2)});
    row("width 3.5 to even", QStringList{"type txtBCWManual 3.5"} + print, {barCode(Untouched, 0, 4)});
    row("text position with blanks", QStringList{"type txtHRCIllegal  -14 "} + print,
        {barCode(Untouched, 0, 3, -2, -14)});
    row("-99 then Right",
        {"type txtBCAlignIll -99", "click cmdPrintBarCode", "click optBCRight", "click cmdPrintBarCode"},
        {barCode(Untouched, 0, 3, -99), barCode(Untouched, 0, 3, -3)});
    row("bitmap width typed",
        bareName + QStringList{"click optBMMywidth", "type txtBMWidth 300", "click cmdPrintBitmap"},
        {"PrintBitmap(2,\"x.bmp\",300,-2)"});
    row("bitmap alignment typed", bareName + QStringList{"type txtBMAlignIll 0", "click cmdSetBitmap"},
        {"SetBitmap(1,2,\"x.bmp\",-11,0)"});
    row("bitmap number not limited", bareName + QStringList{"set txtBitmapNumber 3", "click cmdSetBitmap"},
        {"SetBitmap(3,2,\"x.bmp\",-11,-2)"});

    // Leaving a box that holds no usable number: one message, the focus back, the click undone.
    row("Manual alone, then leaving it empty", {"click optBCWManual", "click cmdPrintBarCode"}, {}, NullText,
        "txtBCWManual");
    row("empty box into another empty box", {"click optBCAlignIll", "click txtBMAlignIll"}, {}, NullText,
        "txtBCAlignIll");
    row("empty box into an option", {"click optBCAlignIll", "click optHRCIllegal"}, {}, NullText,
        "txtBCAlignIll");
    row("empty box into the symbology box", {"click optBCAlignIll", "click cboSymbology"}, {}, NullText,
        "txtBCAlignIll");
    row("switching windows is no leaving", {"click optBCAlignIll", "switch"}, {}, {}, "txtBCAlignIll");
    row("not a number", {"type txtBMWidth abc", "click cmdPrintBitmap"}, {}, "This value" + Range,
        "txtBMWidth");
    row("beyond 32 bits", {"type txtBCAlignIll 2147483648", "click txtBCWManual"}, {}, "This value" + Range,
        "txtBCAlignIll");
    row("value after a refusal",
        QStringList{"click optBCAlignIll", "click cmdPrintBarCode", "type txtBCAlignIll -1"} + print,
        {barCode(Untouched, 0, 3, -1)}, NullText);
    row("height not a number", QStringList{"set txtBCHeight 1e2"} + print, {}, "The bar code height" + Range,
        "txtBCHeight");
    row("height empty", QStringList{"set txtBCHeight"} + print, {}, "The bar code height" + Range,
        "txtBCHeight");
    row("bitmap number beyond 32 bits", {"set txtBitmapNumber -2147483649", "click cmdSetBitmap"}, {},
        "The bitmap number" + Range, "txtBitmapNumber");

    const std::pair<const char*, int> names[] = {
        {"UPC-A", 101},  {"JAN 8", 103},       {"EAN 8", 103},  {"JAN 13", 104},  {"EAN 13", 104},
        {"UPC-D3", 115}, {"EAN 13 SUPL", 119}, {"OCR B", 122},  {"PDF 417", 201}, {"MAXICODE", 202},
        {"Other", 501},  {"code 39", 0},       {"Code 39 ", 0}, {"Code39", 0},    {"Down for Symbologies", 0},
        {"Code 12", 0},
    };
    for (const auto& [name, code] : names)
        row(name, QStringList{QStringLiteral("type cboSymbology ") + name} + print,
            {barCode(Untouched, code)});

    using S = QStringList;
    const std::tuple<const char*, int, const char*, int, const char*> samples[] = {
        {"Codabar", 107, "optBCWMedium", 3, "C2$6+8/4.39-5B"},
        {"Code 39", 108, "optBCWLarge", 4, "F4/35G"},
        {"Code 93", 109, "optBCWSmall", 2, "ERROR"},
        {"EAN 13", 104, "optBCWSmall", 2, "1012345678904"},
        {"JAN 13", 104, "optBCWLarge", 4, "1012345678904"},
        {"Interleaved 2 of 5", 106, "optBCWSmall", 2, "648129753059487615342048976531"},
        {"Code 128", 110, "optBCWLarge", 4, "g3456789"},
        {"UPC-E", 102, "optBCWMedium", 3, "01220000034"},
    };
    for (const auto& [name, code, option, width, sample] : samples)
        row(qPrintable(QStringLiteral("sample %1 %2").arg(name).arg(width)),
            S{QStringLiteral("type cboSymbology ") + name, QStringLiteral("click ") + option,
              "click cmdSample"} +
                print,
            {barCode(sample, code, width)});
    row("sample Code 128 small",
        S{"type cboSymbology Code 128", "click optBCWSmall", "click cmdSample"} + print,
        {barCode("i!\"#$%&'()*+,-./01", 110, 2)});
    row("sample with manual width 5",
        S{"type cboSymbology Codabar", "type txtBCWManual 5", "click cmdSample"} + print,
        {barCode(Untouched, 107, 5)});
    row("typing Code 39 then Sample",
        S{"click optBCWLarge", "type cboSymbology Code 39", "click cmdSample"} + print,
        {barCode("F4$JS984D", 108)});
    row("every keystroke resets",
        S{"type cboSymbology Cod", "click optBCWLarge", "set txtBCData typed", "append cboSymbology e",
          "click optBCLeft", "click optHRCAbove", "set txtBCHeight 9", "append cboSymbology  128"} +
            print,
        {barCode(Untouched, 110)});

    row("Code 128 data decoded", S{"type cboSymbology Code 128", "type txtBCData \\41BC"} + print,
        {barCode("ABC", 110)});
    row("Code 39 data keeps the backslash", S{"type cboSymbology Code 39", "type txtBCData \\41BC"} + print,
        {barCode("\\41BC", 108)});
    row("Reset All keeps the symbology",
        S{"type cboSymbology Code 128", "set txtBCHeight 7", "click cmdResetAll"} + print,
        {barCode(Untouched, 110)});
    // What the boxes held is in force until reset; the options stay selected all along.
    const S typedInBoxes{"type txtBCAlignIll -99", "type txtBCWManual 7", "type txtHRCIllegal -20",
                         "type txtBMWidth 300", "type txtBMAlignIll 0"};
    row("Reset All restores what it shows",
        typedInBoxes + S{"click cmdResetAll", "click cmdPrintBarCode", "click cmdPrintBitmap"},
        {barCode(Untouched, 0), QStringLiteral("PrintBitmap(2,%1,-11,-2)").arg(path)});
    row("typing a symbology restores what it shows",
        typedInBoxes + S{"type cboSymbology Code 39", "click cmdPrintBarCode"}, {barCode(Untouched, 108)});
    row("symbology survives reopening", S{"type cboSymbology PDF 417", "click optBCLeft", "reopen"} + print,
        {barCode(Untouched, 201)});

    row("toggle left", QStringList{"toggle optBCLeft"} + print, {barCode(Untouched, 0, 3, -1)});
    row("toggle none", QStringList{"toggle optHRCNone"} + print, {barCode(Untouched, 0, 3, -2, -11)});
    row("toggle small", QStringList{"toggle optBCWSmall"} + print, {barCode(Untouched, 0, 2)});
    row("toggle bitmap right", bareName + QStringList{"toggle optBMRight", "click cmdPrintBitmap"},
        {"PrintBitmap(2,\"x.bmp\",-11,-3)"});
    row("toggle Manual moves the focus", QStringList{"toggle optBCWManual"} + print, {}, NullText,
        "txtBCWManual");
}

void TestFrmBMBC::stepsReachTheControl() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, calls);
    QFETCH(QString, message);
    QFETCH(QString, focus);

    const int before = mainWindow().Counter;
    for (const QString& step : steps)
        run(step);

    QCOMPARE(FakePosPrinter::last()->takeCalls(), calls);
    QCOMPARE(mainWindow().Counter, before + int(calls.size())); // one line per call, none otherwise
    QCOMPARE(boxes.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(boxes.first().title, QStringLiteral("Illegal Value"));
        QCOMPARE(boxes.first().text, message);
        QCOMPARE(boxes.first().icon, QMessageBox::Warning);
    }
    if (!focus.isEmpty())
        QCOMPARE(QApplication::focusWidget(), find(focus));
}

void TestFrmBMBC::loadStateAndLogLines() {
    QCOMPARE(QApplication::focusWidget(), find("txtBMPath"));
    for (const char* selected : {"optBCWMedium", "optHRCBelow", "optBCCenter", "optBMAsIs", "optBMCenter"})
        QVERIFY2(find<QRadioButton>(selected)->isChecked(), selected);
    for (const char* box : {"txtBCWManual", "txtBCAlignIll", "txtHRCIllegal", "txtBMWidth", "txtBMAlignIll"})
        QVERIFY2(find<QLineEdit>(box)->text().isEmpty(), box);
    QCOMPARE(find<QComboBox>("cboSymbology")->currentText(), QStringLiteral("Down for Symbologies"));

    const int before = mainWindow().Counter;
    fake->results.insert(QStringLiteral("PrintBitmap"), 106);
    for (const char* button : {"cmdPrintBarCode", "cmdPrintBitmap", "cmdSetBitmap"})
        click(button);
    QCOMPARE(linesSince(before),
             (QStringList{QString::number(before) + ":  Result of Printer::PrintBarCode:  OPOS_SUCCESS",
                          QString::number(before + 1) + ":  Result of Printer::PrintBitmap:  OPOS_E_ILLEGAL",
                          QString::number(before + 2) + ":  Result of Printer::SetBitmap:  OPOS_SUCCESS"}));
}

void TestFrmBMBC::pickingFromTheListResetsNothing() {
    for (const char* step : {"type cboSymbology Code 39", "click optBCWLarge", "click optHRCAbove",
                             "click optBCLeft", "set txtBCData typed", "set txtBCHeight 50"})
        run(QString::fromLatin1(step));
    auto* box = find<QComboBox>("cboSymbology");
    QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
    box->lineEdit()->setText(QStringLiteral("Code 93")); // opening the list must not recognise it
    box->showPopup();
    QAbstractItemView* list = box->view();
    QVERIFY(QTest::qWaitForWindowExposed(list->window()));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(box->model()->index(7, 0)).center());
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(box->currentText(), QStringLiteral("Code 128"));
    QCOMPARE(frmBMBC::MySymbology, 108); // the box has not been left yet
    click("cmdPrintBarCode");
    QCOMPARE(fake->takeCalls(), QStringList{"PrintBarCode(2,\"typed\",110,50,4,-1,-12)"});
}

void TestFrmBMBC::everyOptionActsHoweverItChanges_data() {
    addStateChangeRows();
}

// Each option, chosen from the reset state, leaves the same values (and the focus in the same box)
// as a click does.
void TestFrmBMBC::everyOptionActsHoweverItChanges() {
    QFETCH(StateChange, way);
    const auto state = [this] {
        return QStringList{QString::number(window->MyBCWidth),
                           QString::number(window->MyBCAlignment),
                           QString::number(window->MyBCTextPos),
                           QString::number(window->MyBMWidth),
                           QString::number(window->MyBMAlignment),
                           qobject_cast<QLineEdit*>(QApplication::focusWidget()) // a box the option opens
                               ? QApplication::focusWidget()->objectName()
                               : QString()};
    };
    const QList<QRadioButton*> options = window->findChildren<QRadioButton*>();
    QVERIFY(options.size() >= 18);
    for (QRadioButton* option : options) {
        click(QStringLiteral("cmdResetAll"));
        if (option->isChecked())
            continue; // selecting a selected option changes nothing, whatever the way
        option->click();
        const QStringList clicked = state();
        click(QStringLiteral("cmdResetAll"));
        changeState(option, way);
        QVERIFY2(option->isChecked(), qPrintable(option->objectName()));
        QCOMPARE(state(), clicked);
    }
}

void TestFrmBMBC::printerWindowShowsAndUnloadsTheWindow() {
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Bitmap & BarCode Tests"));
    QCOMPARE(window->size(), QSize(463, 322));
    QTest::mouseClick(FormInstance<frmPrinter>::get().findChild<QWidget*>(QStringLiteral("cmdCloseForm")),
                      Qt::LeftButton);
    QVERIFY(!FormInstance<frmBMBC>::isLoaded());
    QVERIFY(!window->isVisible());
}

void TestFrmBMBC::fifthOfTheScreen_data() {
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("full HD") << QRect(0, 0, 1920, 1080) << QSize(465, 345) << QPoint(291, 147);
    QTest::newRow("offset area") << QRect(100, 40, 1024, 728) << QSize(24, 28) << QPoint(300, 180);
    QTest::newRow("larger than the screen truncates toward zero")
        << QRect(0, 0, 400, 300) << QSize(463, 322) << QPoint(-12, -4);
}

void TestFrmBMBC::fifthOfTheScreen() {
    QFETCH(QRect, available);
    QFETCH(QSize, outer);
    QFETCH(QPoint, topLeft);
    QCOMPARE(fifthTopLeft(available, outer), topLeft);
}

// Twips, 15 to the pixel; a control inside a frame is placed relative to the frame.
void TestFrmBMBC::controlsSitInTheirDesignedPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    const std::pair<const char*, QRect> table[] = {
        {"Shape1", {120, 120, 3132, 3372}},        {"lblBMPath", {360, 276, 864, 192}},
        {"txtBMPath", {1320, 240, 1812, 288}},     {"fraBMAlign", {240, 600, 2892, 972}},
        {"optBMRight", {1920, 240, 732, 192}},     {"txtBMAlignIll", {960, 600, 732, 288}},
        {"optBMMywidth", {1080, 288, 972, 192}},   {"lblBitmapNumber", {600, 2448, 1116, 192}},
        {"cmdResetAll", {480, 3840, 2412, 372}},   {"fraBCHRC", {3480, 1200, 3012, 972}},
        {"optHRCAbove", {120, 240, 852, 192}},     {"optBCWLarge", {2160, 240, 740, 192}},
        {"txtBCWManual", {1080, 582, 732, 288}},   {"cmdSample", {1920, 600, 972, 252}},
        {"cboSymbology", {3480, 3480, 3132, 288}}, {"lblBCHeight", {3480, 4296, 468, 192}},
    };
    for (const auto& [name, twips] : table)
        QTest::newRow(name) << QString::fromLatin1(name) << twips;
}

void TestFrmBMBC::controlsSitInTheirDesignedPlaces() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    auto px = [](int t) { return qRound(t / 15.0); };
    QWidget* control = find(name);
    QCOMPARE(control->geometry(), QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
    // A caption wider than its box is cut off on screen.
    if (qobject_cast<QLabel*>(control) || qobject_cast<QRadioButton*>(control))
        QVERIFY2(control->sizeHint().width() <= control->width(), qPrintable(name));
}

void TestFrmBMBC::tabOrderAndAccessibleNames() {
    const QStringList expected{
        "optBMRight",    "optBMCenter",    "optBMLeft",     "optBCRight",      "optBCLeft",
        "optBCCenter",   "txtBMPath",      "optBMAsIs",     "optBMMywidth",    "txtBMWidth",
        "cmdSetBitmap",  "cmdPrintBitmap", "optBMAlignIll", "txtBMAlignIll",   "optBCAlignIll",
        "txtBCAlignIll", "optHRCAbove",    "optHRCBelow",   "optHRCNone",      "optHRCIllegal",
        "txtHRCIllegal", "optBCWSmall",    "optBCWMedium",  "optBCWLarge",     "optBCWManual",
        "txtBCWManual",  "cboSymbology",   "txtBCHeight",   "cmdPrintBarCode", "txtBCData",
        "cmdResetAll",   "cmdCloseForm",   "cmdSample",     "txtBitmapNumber"};
    QWidget* first = find(expected.first());
    QStringList order;
    QWidget* w = first;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && window->isAncestorOf(w) && !w->objectName().isEmpty()) {
            order << w->objectName();
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        }
        w = w->nextInFocusChain();
    } while (w != first && order.size() <= expected.size());
    QCOMPARE(order, expected);
}

// With a real modal box the window loses and regains activation around it; that is no leaving.
void TestFrmBMBC::refusalWithARealMessageBox() {
    MessageBox::setHandler({});
    const auto restore = qScopeGuard([this] { initTestCase(); });
    int shown = 0;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&shown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++shown;
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        }
    });
    closer.start(20);
    run(QStringLiteral("click optBCAlignIll"));
    for (const char* target : {"txtBMAlignIll", "cmdPrintBarCode"}) {
        run(QStringLiteral("click ") + QLatin1String(target));
        QCOMPARE(window->focusWidget(), find("txtBCAlignIll"));
        window->activateWindow(); // the test platform leaves that to the window manager
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    QCOMPARE(shown, 2);
    QCOMPARE(fake->takeCalls(), QStringList{});
    run(QStringLiteral("type txtBCAlignIll 5"));
    run(QStringLiteral("click cmdPrintBarCode"));
    QCOMPARE(fake->takeCalls(), QStringList{barCode(Untouched, 0, 3, 5)});
    QCOMPARE(shown, 2);
}

QTEST_MAIN(TestFrmBMBC)
#include "tst_frmbmbc.moc"
