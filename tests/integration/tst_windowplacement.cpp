#include "app/form.h"
#include "app/frm_sample.h"
#include "app/windowplaces.h"
#include "bmbc/frmbmbc.h"
#include "common/windowtesting.h"
#include "drawer/frmcashdrawer.h"
#include "printer/frmprinter.h"
#include "support/builtindevices.h"
#include "virtual/panel/installpanel.h"
#include "virtual/panel/panelplacement.h"
#include "virtual/panel/virtualpanel.h"
#include "virtual/virtualprinterhub.h"

#include <QAbstractButton>
#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

// Each screen size runs in a process of its own, since an offscreen screen keeps its size.
namespace {

const char* const kScreenVariable = "POSLING_TEST_SCREEN";

virt::VirtualPanel* panelOf(const QString& printer) {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* panel = qobject_cast<virt::VirtualPanel*>(window);
            panel && panel->printer() && panel->printer()->name() == printer)
            return panel;
    return nullptr;
}

QString describe(const QRect& rect) {
    return QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

} // namespace

class TestWindowPlacement : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void choosesTheLargestSizeThatCoversNothing_data();
    void choosesTheLargestSizeThatCoversNothing();
    void windowsShareTheScreen();
    void rememberedPlaceWins();

private:
    QTemporaryDir config;
};

void TestWindowPlacement::initTestCase() {
    useBuiltInDevices(config); // and no remembered places
    qunsetenv("POSLING_VIRTUAL_PANEL");
    installVirtualPanel();
    setProgramWindows({programWindowFrames, statusListArea});
}

void TestWindowPlacement::choosesTheLargestSizeThatCoversNothing_data() {
    QTest::addColumn<QList<QRect>>("windows");
    QTest::addColumn<QList<QRect>>("keepClear");
    QTest::addColumn<QRect>("expected");
    const QRect main(373, 200, 620, 380);
    const QRect printer(994, 200, 340, 420);
    const QRect everything(0, 0, 1000, 1000);
    QTest::newRow("empty screen: preferred size, right edge")
        << QList<QRect>{} << QList<QRect>{} << QRect(1000 - 700, 0, 700, 700);
    QTest::newRow("as much room below as on the left: the taller, on the left")
        << QList<QRect>{QRect(400, 0, 600, 300)} << QList<QRect>{} << QRect(0, 0, 400, 700);
    QTest::newRow("no room beside them: controls under the paper, in the gap")
        << QList<QRect>{main, printer} << QList<QRect>{printer} << QRect(123, 0, 250, 700);
    QTest::newRow("no room at all: the working window is spared first, then the most of the rest")
        << QList<QRect>{everything} << QList<QRect>{QRect(500, 0, 500, 1000)} << QRect(250, 0, 250, 600);
    QTest::newRow("no room at all: the status list is spared as well")
        << QList<QRect>{everything} << QList<QRect>{QRect(0, 0, 500, 300), QRect(500, 0, 500, 1000)}
        << QRect(100, 300, 400, 400);
}

void TestWindowPlacement::choosesTheLargestSizeThatCoversNothing() {
    QFETCH(QList<QRect>, windows);
    QFETCH(QList<QRect>, keepClear);
    QFETCH(QRect, expected);
    const QRect screen(0, 0, 1000, 700);
    const QList<QSize> sizes =
        virt::panelFrameSizes(QSize(700, 700), {QSize(400, 400), QSize(250, 600)}, screen);
    QCOMPARE(sizes.first(), QSize(700, 700));
    QCOMPARE(sizes.last(), QSize(250, 600));
    QVERIFY(sizes.contains(QSize(400, 400)));
    QCOMPARE(virt::choosePanelFrame(screen, windows, keepClear, sizes), expected);
    // A remembered frame comes back whole on the screen, whatever screen it was left on.
    for (const QRect& left : {QRect(-200, 100, 400, 400), QRect(900, 650, 400, 400), QRect(0, 0, 1200, 300)})
        QVERIFY2(screen.contains(virt::keptOnScreen(left, screen)),
                 qPrintable(describe(virt::keptOnScreen(left, screen))));
    QCOMPARE(virt::keptOnScreen(QRect(100, 100, 400, 400), screen), QRect(100, 100, 400, 400));
}

// The program's windows in their own places; the virtual printer's window appears on Claim, before
// the cash drawer and bar code windows open at theirs. It covers none of them where the screen has
// room, and never the status list nor the printer window whose Claim opened it.
void TestWindowPlacement::windowsShareTheScreen() {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    frm_Sample& main = mainWindow();
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    // Centred with its frame counted.
    const QRect mainFrame = main.frameGeometry();
    QVERIFY(mainFrame.size() != main.size()); // the offscreen screen frames windows too
    QVERIFY(qAbs((mainFrame.left() - screen.left()) - (screen.right() - mainFrame.right())) <= 1);
    QVERIFY(qAbs((mainFrame.top() - screen.top()) - (screen.bottom() - mainFrame.bottom())) <= 1);

    frmPrinter& printer = FormInstance<frmPrinter>::get();
    printer.Display();
    printer.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&printer));
    click(printer, "cmdOpenPrinter");
    click(printer, "cmdClaimPrinter"); // the link opens here
    virt::VirtualPanel* panel = panelOf(QStringLiteral("Z901"));
    QVERIFY(panel);
    QVERIFY(QTest::qWaitForWindowExposed(panel));
    const QRect panelFrame = panel->frameGeometry();
    const QList<QWidget*> windows{&main, &printer, &FormInstance<frmCashDrawer>::get(),
                                  &FormInstance<frmBMBC>::get()};
    static_cast<frmCashDrawer*>(windows[2])->Display();
    static_cast<frmBMBC*>(windows[3])->Display();
    for (QWidget* window : windows)
        QVERIFY(QTest::qWaitForWindowExposed(window));

    const QString where = describe(panelFrame) + QStringLiteral(" on ") + describe(screen);
    QVERIFY2(screen.contains(panelFrame), qPrintable(where));
    const StatusList* list = main.lstStatusResults;
    for (const QRect& kept : {QRect(list->mapToGlobal(QPoint(0, 0)), list->size()), printer.frameGeometry()})
        QVERIFY2(!panelFrame.intersects(kept), qPrintable(where + QStringLiteral(" over ") + describe(kept)));
    if (screen.width() >= 1920) // room beside them all
        for (const QWidget* window : windows)
            QVERIFY2(!panelFrame.intersects(window->frameGeometry()),
                     qPrintable(where + QStringLiteral(" over ") + window->objectName()));
    if (screen.width() < 1600) { // sized down: narrower paper, the wire monitor folded away
        QVERIFY2(panelFrame.width() < 760, qPrintable(where));
        QTRY_COMPARE(panel->findChild<QWidget*>(QStringLiteral("wireMonitor"))->height(), 0);
        auto* paper = panel->findChild<QScrollArea*>(QStringLiteral("paperScroll"));
        QTRY_VERIFY(paper->widget()->width() <= paper->viewport()->width());
    }
    click(printer, "cmdClosePrinter");
    unloadWindows<frmPrinter, frmCashDrawer, frmBMBC>();
}

void TestWindowPlacement::rememberedPlaceWins() {
    virt::VirtualPrinter* printer = virt::VirtualPrinterHub::instance()->printer(QStringLiteral("Z902"));
    const QPoint usersPlace(37, 41);
    {
        virt::VirtualPanel panel(printer);
        placeVirtualPanel(&panel);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QVERIFY(panel.pos() != usersPlace);
        panel.move(usersPlace);
        panel.hide();
    }
    virt::VirtualPanel again(printer);
    placeVirtualPanel(&again);
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(again.frameGeometry().topLeft(), usersPlace);
}

int main(int argc, char** argv) {
    const QByteArray size = qgetenv(kScreenVariable);
    if (size.isEmpty()) {
        // The parent: the same tests on each screen size people use.
        QCoreApplication app(argc, argv);
        int failed = 0;
        for (const char* screen : {"1366x768", "1600x1000", "1920x1080"}) {
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QString::fromLatin1(kScreenVariable), QString::fromLatin1(screen));
            child.setProcessEnvironment(environment);
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QCoreApplication::applicationFilePath(), app.arguments().mid(1));
            if (!child.waitForFinished(120000) || child.exitStatus() != QProcess::NormalExit ||
                child.exitCode() != 0) {
                std::fprintf(stderr, "failed on a %s screen\n", screen);
                ++failed;
            }
        }
        return failed;
    }
    QTemporaryDir folder;
    const QList<QByteArray> sides = size.split('x');
    QFile file(folder.filePath(QStringLiteral("screen.json")));
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(QStringLiteral(R"({"windowFrameMargins": true, "screens": [{"name": "test", "x": 0, "y": 0,
        "width": %1, "height": %2, "logicalDpi": 96}]})")
                   .arg(sides.value(0).toInt())
                   .arg(sides.value(1).toInt())
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(file.fileName()));
    QApplication app(argc, argv);
    TestWindowPlacement test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowplacement.moc"
