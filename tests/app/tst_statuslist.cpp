#include "app/statuslist.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <memory>

namespace {

QString statusLine(int counter) {
    return QString::number(counter) + QStringLiteral(":  Result of Printer.Claim:  OPOS_SUCCESS");
}

// The main window's convention: append, select the new line, count on.
void logLines(StatusList& list, int& counter, int lines) {
    for (int i = 0; i < lines; ++i) {
        list.AddItem(statusLine(counter));
        list.setListIndex(counter);
        ++counter;
    }
}

std::unique_ptr<StatusList> shownList() {
    auto list = std::make_unique<StatusList>();
    list->resize(601, 184);
    list->show();
    return list;
}

bool rowFullyVisible(const StatusList& list, int row) {
    // Rows may be wider than the view; visible means all of its height is in view.
    const QRect rect = list.visualRect(list.model()->index(row, 0));
    return rect.isValid() && rect.top() >= 0 && rect.bottom() <= list.viewport()->rect().bottom();
}

} // namespace

class TestStatusList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void appendSelectAndCount();
    void newestLineSelectedAndVisible_data();
    void newestLineSelectedAndVisible();
    void newestLineStaysInViewWhenShownOrResized_data();
    void newestLineStaysInViewWhenShownOrResized();
    void wideLinesScrollHorizontally();
    void textRoundTrip_data();
    void textRoundTrip();
    void mixedLinesAcrossBlocks();
    void keyboardMovesTheSelection_data();
    void keyboardMovesTheSelection();
    void pagingMovesByAScreen();
    void mouseClickSelects();
    void copyToClipboard();
    void toolTipHook();
    void savedLinesKeepTimesAndReasons();
    void accessibleAsAList();
    void selectedLineIsHighlighted();
};

void TestStatusList::appendSelectAndCount() {
    StatusList list;
    QCOMPARE(list.ListCount(), 0);
    QCOMPARE(list.ListIndex(), -1);
    int counter = 0;
    logLines(list, counter, 3);
    QCOMPARE(list.ListCount(), 3);
    QCOMPARE(list.ListIndex(), 2);
    QCOMPARE(list.currentIndex().row(), 2);
    for (int row = 0; row < 3; ++row)
        QCOMPARE(list.List(row), statusLine(row));

    // Appending alone leaves the selection where it was.
    list.AddItem(QStringLiteral("x"));
    QCOMPARE(list.ListCount(), 4);
    QCOMPARE(list.ListIndex(), 2);

    // An index out of range changes nothing; -1 clears the selection.
    for (const int index : {4, -2, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
        list.setListIndex(index);
        QCOMPARE(list.ListIndex(), 2);
    }
    QCOMPARE(list.List(4), QString());
    QCOMPARE(list.List(-1), QString());
    list.setListIndex(-1);
    QCOMPARE(list.ListIndex(), -1);
}

void TestStatusList::newestLineSelectedAndVisible_data() {
    QTest::addColumn<int>("lines");
    QTest::newRow("one") << 1;
    QTest::newRow("a screenful") << 12;
    QTest::newRow("32,768") << 32768;
    QTest::newRow("beyond 16-bit indexes") << 40000;
}

void TestStatusList::newestLineSelectedAndVisible() {
    QFETCH(int, lines);
    const auto list = shownList();
    int counter = 0;
    // The event loop runs now and then, as between device events.
    while (counter < lines) {
        logLines(*list, counter, std::min(1000, lines - counter));
        QCoreApplication::processEvents();
        QCOMPARE(list->ListIndex(), counter - 1);
        QVERIFY(rowFullyVisible(*list, counter - 1));
    }
    QCOMPARE(list->ListCount(), lines);
    QCOMPARE(list->List(lines - 1), statusLine(lines - 1));
    const QModelIndex newest = list->model()->index(lines - 1, 0);
    QCOMPARE(list->indexAt(list->visualRect(newest).center()), newest);
    // The scroll bar catches up within a frame: at the end.
    QTRY_COMPARE(list->verticalScrollBar()->value(), list->verticalScrollBar()->maximum());
}

void TestStatusList::newestLineStaysInViewWhenShownOrResized_data() {
    QTest::addColumn<bool>("showFirst");
    QTest::addColumn<QSize>("finalSize");
    QTest::newRow("logged while hidden") << false << QSize(601, 184);
    QTest::newRow("shrunk") << true << QSize(601, 60);
    QTest::newRow("grown") << true << QSize(700, 400);
}

void TestStatusList::newestLineStaysInViewWhenShownOrResized() {
    QFETCH(bool, showFirst);
    QFETCH(QSize, finalSize);
    StatusList list;
    list.resize(601, 184);
    if (showFirst)
        list.show();
    int counter = 0;
    logLines(list, counter, 500);
    QCoreApplication::processEvents();
    list.resize(finalSize);
    list.show();
    QCoreApplication::processEvents();
    QCOMPARE(list.ListIndex(), 499);
    QVERIFY(rowFullyVisible(list, 499));
}

void TestStatusList::wideLinesScrollHorizontally() {
    const auto list = shownList();
    QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
    int counter = 0;
    logLines(*list, counter, 3);
    list->AddItem(QString(400, QLatin1Char('W')));
    list->setListIndex(3);
    // Lines are measured as they are shown; the scroll range follows within a turn of the event loop.
    QTRY_VERIFY(list->horizontalScrollBar()->maximum() > 0);
    QVERIFY(rowFullyVisible(*list, 3));
}

void TestStatusList::textRoundTrip_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QStringLiteral("7:  Result of Printer.Open:  OPOS_E_NOSERVICE");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks only") << QStringLiteral("   ");
    QTest::newRow("latin-1") << QStringLiteral("Größe: café \u00ff\u00a0");
    QTest::newRow("euro sign") << QStringLiteral("Total \u20ac 12,50");
    QTest::newRow("cjk") << QStringLiteral("\u6253\u5370\u673a OK");
    QTest::newRow("surrogate pair") << QStringLiteral("paper \U0001F4DC out");
    QTest::newRow("lone high surrogate") << (QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b"));
    QTest::newRow("lone low surrogate") << QString(QChar(0xDC00));
    QTest::newRow("nul and controls") << QString::fromLatin1("a\0b\r\n\tc", 8);
    QTest::newRow("very long latin-1") << QString(200000, QLatin1Char('x'));
    QTest::newRow("very long non-latin-1") << QString(40000, QChar(0x20AC));
}

void TestStatusList::textRoundTrip() {
    QFETCH(QString, text);
    StatusList list;
    list.AddItem(QStringLiteral("before"));
    list.AddItem(text);
    list.AddItem(QStringLiteral("after"));
    QCOMPARE(list.List(1), text);
    QCOMPARE(list.List(0), QStringLiteral("before"));
    QCOMPARE(list.List(2), QStringLiteral("after"));
    QCOMPARE(list.model()->index(1, 0).data().toString(), text);
}

void TestStatusList::mixedLinesAcrossBlocks() {
    // Lines of every storage kind, over several blocks of lines.
    const QString pieces[] = {QString(), QStringLiteral("é"), QStringLiteral("\u20ac"),
                              QString(QChar(0xD800)), QString(70000, QLatin1Char('y'))};
    StatusList list;
    QStringList expected;
    for (int i = 0; i < 3000; ++i) {
        const QString line = QString::number(i) + pieces[i % 5].repeated(1 + i % 3);
        expected << line;
        list.AddItem(line);
    }
    QCOMPARE(list.ListCount(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(list.List(i), expected.at(i));
}

void TestStatusList::keyboardMovesTheSelection_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("expected");
    QTest::newRow("down") << int(Qt::Key_Down) << 5 << 6;
    QTest::newRow("up") << int(Qt::Key_Up) << 5 << 4;
    QTest::newRow("home") << int(Qt::Key_Home) << 50 << 0;
    QTest::newRow("end") << int(Qt::Key_End) << 5 << 99;
    QTest::newRow("up at the top stays") << int(Qt::Key_Up) << 0 << 0;
    QTest::newRow("down at the bottom stays") << int(Qt::Key_Down) << 99 << 99;
    QTest::newRow("page up near the top") << int(Qt::Key_PageUp) << 2 << 0;
    QTest::newRow("page down near the bottom") << int(Qt::Key_PageDown) << 97 << 99;
}

void TestStatusList::keyboardMovesTheSelection() {
    QFETCH(int, key);
    QFETCH(int, from);
    QFETCH(int, expected);
    const auto list = shownList();
    int counter = 0;
    logLines(*list, counter, 100);
    list->setListIndex(from);
    QTest::keyClick(list.get(), Qt::Key(key));
    QCOMPARE(list->ListIndex(), expected);
    QCoreApplication::processEvents();
    QVERIFY(rowFullyVisible(*list, expected));
}

void TestStatusList::pagingMovesByAScreen() {
    const auto list = shownList();
    int counter = 0;
    logLines(*list, counter, 1000);
    list->setListIndex(0);
    QTest::keyClick(list.get(), Qt::Key_PageDown);
    const int page = list->ListIndex();
    QVERIFY2(page > 1, "page down moved a single line");
    QVERIFY(rowFullyVisible(*list, 0)); // the last line of the first screen
    QTest::keyClick(list.get(), Qt::Key_PageDown);
    QCOMPARE(list->ListIndex(), 2 * page);
    QTest::keyClick(list.get(), Qt::Key_PageUp);
    QCOMPARE(list->ListIndex(), page);
}

void TestStatusList::mouseClickSelects() {
    const auto list = shownList();
    int counter = 0;
    logLines(*list, counter, 30);
    list->setListIndex(0);
    QCoreApplication::processEvents();
    const QRect third = list->visualRect(list->model()->index(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
    QCOMPARE(list->ListIndex(), 2);
}

void TestStatusList::copyToClipboard() {
    StatusList list;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("untouched"));
    list.AddItem(QStringLiteral("first"));
    list.AddItem(QStringLiteral("second \u20ac"));
    QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), QStringLiteral("untouched")); // nothing selected

    list.setListIndex(1);
    QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), QStringLiteral("second \u20ac"));

    list.setListIndex(0);
    auto* copyLine = list.findChild<QAction*>(QStringLiteral("copyLineAction"));
    auto* copyAll = list.findChild<QAction*>(QStringLiteral("copyAllLinesAction"));
    QVERIFY(copyLine && copyAll);
    copyLine->trigger();
    QCOMPARE(clipboard->text(), QStringLiteral("first"));
    copyAll->trigger();
    QCOMPARE(clipboard->text(), QStringLiteral("first\nsecond \u20ac\n"));
}

void TestStatusList::toolTipHook() {
    const auto list = shownList();
    list->AddItem(QStringLiteral("0:  Result of Printer.Open:  OPOS_E_NOEXIST"));
    list->lineToolTip = [](const QString& line) { return line.section(QStringLiteral(":  "), -1); };
    const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
    QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &help);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("OPOS_E_NOEXIST"));
}

// Saved, each line has its time and, under it, what its hover says; a path that cannot take the
// file is refused with the reason.
void TestStatusList::savedLinesKeepTimesAndReasons() {
    StatusList list;
    list.lineToolTip = [](const QString& line) {
        return line.endsWith(u'!') ? QStringLiteral("Advice") : QString();
    };
    list.AddItem(QStringLiteral("0:  plain"));
    list.AddItem(QStringLiteral("1:  failed!"));
    list.setLineNote(1, QStringLiteral("cover open"));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("status.txt"));
    QCOMPARE(list.saveAllLines(path), QString());
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QRegularExpression expected(
        QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}  0:  plain\n\\d\\d:\\d\\d:\\d\\d\\.\\d{3}  1:  "
                       "failed!\n {14}Advice\n {14}cover open\n$"));
    const QString text = QString::fromUtf8(saved.readAll());
    QVERIFY2(expected.match(text).hasMatch(), qPrintable(text));
    QVERIFY(list.saveAllLines(folder.path()).contains(QStringLiteral("folder")));
}

void TestStatusList::accessibleAsAList() {
    StatusList list;
    list.AddItem(QStringLiteral("zero"));
    list.AddItem(QStringLiteral("one \u20ac"));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&list);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::List);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Status results"));
    QCOMPARE(iface->childCount(), 2);
    QAccessibleInterface* row = iface->child(1);
    QVERIFY(row);
    QCOMPARE(row->role(), QAccessible::ListItem);
    QCOMPARE(row->text(QAccessible::Name), QStringLiteral("one \u20ac"));
    QVERIFY(!row->state().selected);
    list.setListIndex(1);
    QVERIFY(row->state().selected);
}

void TestStatusList::selectedLineIsHighlighted() {
    const auto list = shownList();
    int counter = 0;
    logLines(*list, counter, 3);
    list->setListIndex(1);
    QCoreApplication::processEvents();
    const QImage image = list->viewport()->grab().toImage();
    auto colourAt = [&](int row) {
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        return image.pixelColor(list->viewport()->width() - 3, rect.center().y());
    };
    // Styles may shade the highlight slightly.
    auto near = [](const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                   std::abs(a.blue() - b.blue()) <=
               16;
    };
    const QPalette& palette = list->palette();
    const QColor selected = colourAt(1);
    QVERIFY2(near(selected, palette.color(QPalette::Active, QPalette::Highlight)) ||
                 near(selected, palette.color(QPalette::Inactive, QPalette::Highlight)),
             qPrintable(selected.name()));
    QCOMPARE(colourAt(0), palette.color(QPalette::Base));
    QCOMPARE(colourAt(2), palette.color(QPalette::Base));
}

QTEST_MAIN(TestStatusList)
#include "tst_statuslist.moc"
