#include "support/printerharness.h"

#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace virt;

class TestPaper : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void modes_data();
    void modes();
    void feedsMoveThePaper_data();
    void feedsMoveThePaper();
    void crLfFeedsOnce();
    void reverseFeedPrintsTheLineThenOverprints();
    void cutsCloseReceipts();
    void canvasIsReusedClean();
    void longLinesWrap();
    void textLineHasItsDarkRows();
    void justificationAndDoubleWidth();
    void codePagesDecode_data();
    void codePagesDecode();
    void stoppedPrinterKeepsDataOffThePaper_data();
    void stoppedPrinterKeepsDataOffThePaper();
    void pageModeRotatesText_data();
    void pageModeRotatesText();
    void pageModeDiscardedByEscS();
    void renderingIsDeterministic();
    void randomBytesKeepThePrinterBounded();
    void overprintingKeepsTheLineBounded();
    void cutIsIgnoredInPageMode();
    void rotatedCharactersAreNotUnderlined();
    void cellSizesOfFontsAndModes_data();
    void cellSizesOfFontsAndModes();
};

void TestPaper::modes_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("value");
    QTest::newRow("ESC ! bits: font B") << QByteArray::fromHex("1b2101") << "fontB" << 1;
    QTest::newRow("ESC ! bits: double height") << QByteArray::fromHex("1b2110") << "heightMul" << 2;
    QTest::newRow("ESC ! bits: double width") << QByteArray::fromHex("1b2120") << "widthMul" << 2;
    QTest::newRow("ESC ! bits: emphasis") << QByteArray::fromHex("1b2108") << "bold" << 1;
    QTest::newRow("ESC ! bits: underline") << QByteArray::fromHex("1b2180") << "underline" << 1;
    QTest::newRow("GS ! 11") << QByteArray::fromHex("1d2111") << "widthMul" << 2;
    QTest::newRow("GS ! 37: height 8") << QByteArray::fromHex("1d2137") << "heightMul" << 8;
    QTest::newRow("GS ! 88 is out of range and ignored") << QByteArray::fromHex("1d2188") << "widthMul" << 1;
    QTest::newRow("ESC E 1") << QByteArray::fromHex("1b4501") << "bold" << 1;
    QTest::newRow("ESC G 1 looks bold too") << QByteArray::fromHex("1b4701") << "bold" << 1;
    QTest::newRow("ESC - '2'") << QByteArray::fromHex("1b2d32") << "underline" << 2;
    QTest::newRow("ESC - 3 is no mode") << QByteArray::fromHex("1b2d03") << "underline" << 0;
    QTest::newRow("ESC M '1'") << QByteArray::fromHex("1b4d31") << "fontB" << 1;
    QTest::newRow("GS B 1") << QByteArray::fromHex("1d4201") << "reverse" << 1;
    QTest::newRow("ESC a '1'") << QByteArray::fromHex("1b6131") << "justification" << 1;
    QTest::newRow("ESC a 2") << QByteArray::fromHex("1b6102") << "justification" << 2;
    QTest::newRow("ESC 3 18h") << QByteArray::fromHex("1b3318") << "lineSpacing" << 24;
    QTest::newRow("ESC 3 then ESC 2") << QByteArray::fromHex("1b33181b32") << "lineSpacing" << 30;
    QTest::newRow("ESC t 19 is PC858") << QByteArray::fromHex("1b7413") << "codePage" << 858;
    QTest::newRow("ESC t 16 is Windows-1252") << QByteArray::fromHex("1b7410") << "codePage" << 1252;
    QTest::newRow("ESC t 99 is unknown and kept") << QByteArray::fromHex("1b7463") << "codePage" << 437;
    QTest::newRow("GS h / GS w / GS H") << QByteArray::fromHex("1d68501d77021d4832") << "barHeight" << 80;
    QTest::newRow("GS w 2") << QByteArray::fromHex("1d7702") << "moduleWidth" << 2;
    QTest::newRow("GS H '2'") << QByteArray::fromHex("1d4832") << "hriPosition" << 2;
    QTest::newRow("ESC @ resets") << QByteArray::fromHex("1b21381d21111b61011b4001") << "widthMul" << 1;
    QTest::newRow("ESC L enters page mode") << QByteArray::fromHex("1b4c") << "pageMode" << 1;
    QTest::newRow("FF leaves page mode") << QByteArray::fromHex("1b4c0c") << "pageMode" << 0;
    QTest::newRow("ESC @ leaves page mode") << QByteArray::fromHex("1b4c1b40") << "pageMode" << 0;
    QTest::newRow("GS a 0F") << QByteArray::fromHex("1d610f") << "asb" << 15;
}

void TestPaper::modes() {
    QFETCH(QByteArray, input);
    QFETCH(QString, field);
    QFETCH(int, value);
    PrinterHarness h;
    h.send(input);
    const PrintModes& m = h.session->modes();
    const QMap<QString, int> fields{{"fontB", m.style.fontB},
                                    {"heightMul", m.style.heightMul},
                                    {"widthMul", m.style.widthMul},
                                    {"bold", m.effectiveStyle().bold},
                                    {"underline", m.style.underline},
                                    {"reverse", m.style.reverse},
                                    {"justification", m.justification},
                                    {"lineSpacing", m.lineSpacing},
                                    {"codePage", m.codePage},
                                    {"barHeight", m.barHeight},
                                    {"moduleWidth", m.moduleWidth},
                                    {"hriPosition", m.hriPosition},
                                    {"pageMode", h.session->pageMode().isActive()},
                                    {"asb", h.session->status().automaticMask()}};
    QVERIFY(fields.contains(field));
    QCOMPARE(fields.value(field), value);
}

void TestPaper::feedsMoveThePaper_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("position");
    QTest::newRow("LF on an empty line feeds the line spacing") << QByteArray::fromHex("0a") << 30;
    QTest::newRow("text LF: a 24-dot line within 30") << QByteArray::fromHex("410a") << 30;
    QTest::newRow("double height is taller than the spacing") << QByteArray::fromHex("1d2101410a") << 48;
    QTest::newRow("ESC 3 40 then LF") << QByteArray::fromHex("1b33280a") << 40;
    QTest::newRow("ESC d 3") << QByteArray::fromHex("1b6403") << 90;
    QTest::newRow("ESC d 2 after text") << QByteArray::fromHex("411b6402") << 60;
    QTest::newRow("ESC J 100") << QByteArray::fromHex("1b4a64") << 100;
    QTest::newRow("ESC J 0 after text prints without feeding") << QByteArray::fromHex("411b4a00") << 0;
    QTest::newRow("raster advances by its height") << QByteArray::fromHex("1d76300001000500ffffffffff") << 5;
    QTest::newRow("ESC e 2 pulls back two lines") << QByteArray::fromHex("0a0a0a1b6502") << 30;
    QTest::newRow("ESC e beyond the mechanism's limit stays") << QByteArray::fromHex("0a0a0a1b6503") << 90;
    QTest::newRow("ESC e stops at the receipt's top edge") << QByteArray::fromHex("0a1b6502") << 0;
    QTest::newRow("ESC e is ignored in page mode") << QByteArray::fromHex("0a0a1b4c1b65011b53") << 60;
}

void TestPaper::feedsMoveThePaper() {
    QFETCH(QByteArray, input);
    QFETCH(int, position);
    PrinterHarness h;
    h.send(input);
    QCOMPARE(h.printer->paper()->position(), position);
}

void TestPaper::crLfFeedsOnce() {
    PrinterHarness h;
    h.send("ONE\r\nTWO\r\n");
    QCOMPARE(h.printer->paper()->position(), 60);
    const auto& lines = h.printer->paper()->currentLines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].text, QStringLiteral("ONE"));
    QCOMPARE(lines[1].top, 30);
}

void TestPaper::reverseFeedPrintsTheLineThenOverprints() {
    PrinterHarness h;
    h.send("ONE\nTWO\x1b\x65\x01THREE\n");
    const auto& lines = h.printer->paper()->currentLines();
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[1].text, QStringLiteral("TWO"));
    QCOMPARE(lines[1].top, 30);
    QCOMPARE(lines[2].top, 0); // over ONE
    QCOMPARE(h.printer->paper()->position(), 30);
}

void TestPaper::cutsCloseReceipts() {
    PrinterHarness h;
    QSignalSpy closed(h.printer->paper(), &PaperRoll::receiptClosed);
    // Function B feeds the last line up to the blade (and n dots more), then cuts; the 150 dots from
    // the blade to the head become the top of the next receipt.
    h.send(QByteArray("FIRST\n") + QByteArray::fromHex("1d564200") + "SECOND\n" +
           QByteArray::fromHex("1d564132"));
    QCOMPARE(closed.count(), 2);
    const auto& receipts = h.printer->paper()->receipts();
    QCOMPARE(receipts[0].lines.value(0).text, QStringLiteral("FIRST"));
    QCOMPARE(receipts[0].cut, CutKind::Partial);
    QCOMPARE(receipts[0].image.height(), 30);
    QCOMPARE(receipts[1].lines.value(0).text, QStringLiteral("SECOND"));
    QCOMPARE(receipts[1].lines.value(0).top, 150);
    QCOMPARE(receipts[1].cut, CutKind::Full);
    QCOMPARE(receipts[1].image.height(), 150 + 30 + 50);
    QCOMPARE(receipts[1].number, 2);
    QCOMPARE(receipts[0].image.width(), 576);
    // Without a feed the blade cuts 150 dots above the head: a line printed since the last feed
    // past the blade starts the next receipt.
    h.send(QByteArray("THIRD\n") + QByteArray::fromHex("1d5631"));
    QCOMPARE(closed.count(), 3);
    QVERIFY(h.printer->paper()->receipts().last().lines.isEmpty());
    QCOMPARE(h.printer->paper()->currentLines().value(0).text, QStringLiteral("THIRD"));
    QCOMPARE(h.printer->paper()->currentLines().value(0).top, 120);
    // ESC i cuts as well; a cut in the middle of a line is not carried out.
    h.send(QByteArray("abc") + QByteArray::fromHex("1d5600 1b69"));
    QCOMPARE(closed.count(), 3);
    h.send(QByteArray("\n") + QByteArray::fromHex("1b6405 1b69"));
    QCOMPARE(closed.count(), 4);
    QCOMPARE(h.printer->paper()->receipts().last().lines.value(1).text, QStringLiteral("abc"));
}

// The roll draws every receipt on one canvas: what lies between blade and head moves up, nothing
// of it stays behind, and a cleared roll is blank paper again.
void TestPaper::canvasIsReusedClean() {
    PrinterHarness h;
    QByteArray tenLines;
    for (int i = 1; i <= 10; ++i)
        tenLines += "Line " + QByteArray::number(i) + "\n";
    h.send(tenLines + QByteArray::fromHex("1d5600 1d564100"));
    const auto& receipts = h.printer->paper()->receipts();
    QCOMPARE(receipts.size(), 2);
    QCOMPARE(receipts[1].lines.size(), 5);
    const QList<int> inked = darkRows(receipts[1].image);
    QVERIFY(!inked.isEmpty() && inked.last() < 150);
    QVERIFY(darkRows(h.current()).isEmpty()); // the blank paper fed to the blade
    h.send(tenLines);
    h.printer->paper()->clear();
    h.send("\n");
    QVERIFY(darkRows(h.current()).isEmpty());
}

void TestPaper::longLinesWrap() {
    PrinterHarness h(QStringLiteral("58mm"));
    h.send(QByteArray(40, 'W') + "\n"); // 32 columns of font A on 58 mm
    const auto& lines = h.printer->paper()->currentLines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].text.size(), 32);
    QCOMPARE(lines[1].text.size(), 8);
    h.send(QByteArray::fromHex("1b2101") + QByteArray(42, 'w') + "\n"); // 42 columns of font B
    QCOMPARE(h.printer->paper()->currentLines().size(), 3);
}

void TestPaper::textLineHasItsDarkRows() {
    PrinterHarness h;
    h.send("HELLO\n");
    const QImage image = h.current();
    QCOMPARE(image.size(), QSize(576, 30));
    const QRect ink = inkBounds(image);
    // Capitals stand on the baseline inside the 12x24 cells: five cells wide, no dot below row 24.
    QVERIFY(ink.left() >= 0 && ink.right() < 5 * 12);
    QVERIFY2(ink.top() >= 1 && ink.bottom() < 24,
             qPrintable(QStringLiteral("%1..%2").arg(ink.top()).arg(ink.bottom())));
    QVERIFY(ink.height() >= 14); // a capital of font A is about two thirds of the cell
    // Underline two dots: the cell's last two rows are dark across the text.
    PrinterHarness u;
    u.send(QByteArray::fromHex("1b2d02") + "AB\n");
    const QImage under = u.current();
    for (int x = 0; x < 24; ++x) {
        QCOMPARE(qGray(under.pixel(x, 22)), 0);
        QCOMPARE(qGray(under.pixel(x, 23)), 0);
    }
    QCOMPARE(qGray(under.pixel(24, 23)), 255);
    // Reverse: the cell is black where the glyph is not.
    PrinterHarness r;
    r.send(QByteArray::fromHex("1d4201") + " \n");
    QCOMPARE(inkBounds(r.current()), QRect(0, 0, 12, 24));
}

void TestPaper::justificationAndDoubleWidth() {
    PrinterHarness h;
    h.send(QByteArray::fromHex("1b6101") + "AB\n" + QByteArray::fromHex("1b6102") + "AB\n" +
           QByteArray::fromHex("1b61001d2110") + "AB\n");
    const auto& lines = h.printer->paper()->currentLines();
    QCOMPARE(lines[0].left, (576 - 24) / 2);
    QCOMPARE(lines[1].left, 576 - 24);
    QCOMPARE(lines[2].width, 48);
    QCOMPARE(lines[2].style.widthMul, 2);
}

void TestPaper::codePagesDecode_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("text");
    QTest::newRow("PC437 default") << QByteArray::fromHex("8182") << QStringLiteral("üé");
    QTest::newRow("PC858 euro") << QByteArray::fromHex("1b7413d5") << QStringLiteral("€");
    QTest::newRow("WPC1252 euro") << QByteArray::fromHex("1b741080e9") << QStringLiteral("€é");
    QTest::newRow("back to PC437") << QByteArray::fromHex("1b7410"
                                                          "1b7400"
                                                          "e1")
                                   << QStringLiteral("ß");
}

void TestPaper::codePagesDecode() {
    QFETCH(QByteArray, input);
    QFETCH(QString, text);
    PrinterHarness h;
    h.send(input + "\n");
    QCOMPARE(h.printer->paper()->currentLines().value(0).text, text);
}

void TestPaper::stoppedPrinterKeepsDataOffThePaper_data() {
    QTest::addColumn<bool>("coverOpen");
    QTest::addColumn<int>("paper");
    QTest::newRow("cover open") << true << int(PaperLevel::Ok);
    QTest::newRow("paper out") << false << int(PaperLevel::Out);
}

void TestPaper::stoppedPrinterKeepsDataOffThePaper() {
    QFETCH(bool, coverOpen);
    QFETCH(int, paper);
    PrinterHarness h;
    h.send("BEFORE\n");
    h.printer->setCoverOpen(coverOpen);
    h.printer->setPaper(PaperLevel(paper));
    h.send(QByteArray("HELD\n") + QByteArray::fromHex("1b64051d564200"));
    QCOMPARE(h.printer->paper()->receiptsCut(), 0);
    QCOMPARE(h.printer->paper()->currentLines().size(), 1);
    // The cause clears: what waited in the buffer prints, once.
    h.printer->setCoverOpen(false);
    h.printer->setPaper(PaperLevel::Ok);
    h.send("AFTER\n");
    QCOMPARE(h.printer->paper()->receiptsCut(), 1);
    QStringList cut;
    for (const PrintedLine& line : h.printer->paper()->receipts().first().lines)
        cut.append(line.text);
    QCOMPARE(cut, QStringList({QStringLiteral("BEFORE"), QStringLiteral("HELD")}));
    QCOMPARE(h.printer->paper()->currentLines().size(), 1);
    QCOMPARE(h.printer->paper()->currentLines().first().text, QStringLiteral("AFTER"));
    QCOMPARE(h.printer->paper()->position(), 150 + 30); // below the paper from the blade to the head
}

void TestPaper::pageModeRotatesText_data() {
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("quarterTurns"); // clockwise
    QTest::newRow("ESC T 0") << 0 << 0;
    QTest::newRow("ESC T 1: counter-clockwise") << 1 << 3;
    QTest::newRow("ESC T 2: upside down") << 2 << 2;
    QTest::newRow("ESC T 3: clockwise") << 3 << 1;
}

void TestPaper::pageModeRotatesText() {
    QFETCH(int, direction);
    QFETCH(int, quarterTurns);
    // Reference: the same text in standard mode.
    PrinterHarness reference;
    reference.send("LEFT90\n");
    const QImage straight = reference.current();
    const QImage text = straight.copy(inkBounds(straight));

    PrinterHarness h;
    QByteArray job = QByteArray::fromHex("1b4c"
                                         "1b570000000040029001"); // 576 x 400
    job += QByteArray::fromHex("1b54") + char(direction) + "LEFT90\n" + QByteArray::fromHex("0c");
    h.send(job);
    QVERIFY(!h.session->pageMode().isActive());
    const QImage page = h.current();
    QCOMPARE(page.size(), QSize(576, 400));
    const QImage printed = page.copy(inkBounds(page));
    const QImage expected = text.transformed(QTransform().rotate(90 * quarterTurns));
    QCOMPARE(printed.size(), expected.size());
    QCOMPARE(printed.convertToFormat(QImage::Format_Mono), expected.convertToFormat(QImage::Format_Mono));
    // Where the text starts: lower left for ESC T 1, upper right for ESC T 3.
    const QRect where = inkBounds(page);
    const QString at =
        QStringLiteral("%1,%2 %3x%4").arg(where.x()).arg(where.y()).arg(where.width()).arg(where.height());
    if (direction == 1)
        QVERIFY2(where.left() < 30 && where.bottom() > 380, qPrintable(at));
    if (direction == 3)
        QVERIFY2(where.right() > 546 && where.top() < 20, qPrintable(at));
}

void TestPaper::pageModeDiscardedByEscS() {
    PrinterHarness h;
    h.send(QByteArray::fromHex("1b4c") + "GONE\n" + QByteArray::fromHex("1b53") + "KEPT\n");
    const auto& lines = h.printer->paper()->currentLines();
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].text, QStringLiteral("KEPT"));
}

void TestPaper::renderingIsDeterministic() {
    PrinterHarness a, b;
    const QByteArray job =
        QByteArray::fromHex("1b45011d2111") + "Total 12.50\n" + QByteArray::fromHex("1b4000") + "ok\n";
    a.send(job);
    b.send(job);
    QCOMPARE(a.current(), b.current());
}

void TestPaper::randomBytesKeepThePrinterBounded() {
    for (quint32 seed = 1; seed <= 4; ++seed) {
        QRandomGenerator random(seed);
        PrinterHarness h;
        for (int i = 0; i < 20000; ++i) {
            const quint32 r = random.bounded(10);
            const char byte = r == 0 ? 0x1B : r == 1 ? 0x1D : r == 2 ? 0x0A : char(random.bounded(256));
            h.send(QByteArray(1, byte));
            QVERIFY(h.printer->paper()->position() <= PaperRoll::kMaxReceiptDots);
        }
        h.session->finish();
        qint64 kept = 0;
        for (const Receipt& receipt : h.printer->paper()->receipts())
            kept += receipt.image.height();
        QVERIFY(kept <= PaperRoll::kKeptHistoryDots + PaperRoll::kMaxReceiptDots);
        QVERIFY(h.printer->wireLog()->rowCount() <= WireLog::kMaxRows);
        for (const WireLog::Entry& entry : h.printer->wireLog()->entries())
            QVERIFY(entry.bytes.size() <= WireLog::kShownBytes);
        h.takeReplies();
    }
}

void TestPaper::overprintingKeepsTheLineBounded() {
    PrinterHarness h;
    QByteArray job;
    for (int i = 0; i < 5000; ++i)
        job += QByteArray::fromHex("1b240000") + "W"; // back to column 0 every time
    h.send(job);
    QVERIFY(h.session->line().pendingText().size() <= 1024);
    QVERIFY(!h.printer->paper()->currentLines().isEmpty()); // the full line went out
}

void TestPaper::cellSizesOfFontsAndModes_data() {
    QTest::addColumn<QByteArray>("modes");
    QTest::addColumn<QSize>("line"); // ten characters: advance and line height in dots
    QTest::newRow("font A 12x24") << QByteArray() << QSize(120, 24);
    QTest::newRow("font B 9x17") << QByteArray::fromHex("1b4d01") << QSize(90, 17);
    QTest::newRow("ESC SP 2 adds right spacing") << QByteArray::fromHex("1b2002") << QSize(140, 24);
    QTest::newRow("GS ! 10 doubles the width") << QByteArray::fromHex("1d2110") << QSize(240, 24);
    QTest::newRow("ESC ! 30 doubles both") << QByteArray::fromHex("1b2130") << QSize(240, 48);
    QTest::newRow("bold keeps the cell") << QByteArray::fromHex("1b4501") << QSize(120, 24);
}

void TestPaper::cellSizesOfFontsAndModes() {
    QFETCH(QByteArray, modes);
    QFETCH(QSize, line);
    PrinterHarness h;
    h.send(modes + "HHHHHHHHHH\n");
    const PrintedLine printed = h.printer->paper()->currentLines().value(0);
    QCOMPARE(QSize(printed.width, printed.height), line);
}

void TestPaper::rotatedCharactersAreNotUnderlined() {
    PrinterHarness plain, underlined;
    plain.send(QByteArray::fromHex("1b5601") + "I\n");
    underlined.send(QByteArray::fromHex("1b56011b2d02") + "I\n");
    QCOMPARE(inkBounds(underlined.current()), inkBounds(plain.current()));
    QCOMPARE(underlined.current(), plain.current());
}

void TestPaper::cutIsIgnoredInPageMode() {
    PrinterHarness h;
    h.send(QByteArray::fromHex("1b4c") + "PAGE\n" + QByteArray::fromHex("1d5600") + "MORE\n" +
           QByteArray::fromHex("0c1d5600"));
    QCOMPARE(h.printer->paper()->receiptsCut(), 1); // only the cut after FF
    QVERIFY(!inkBounds(h.printer->paper()->receipts().value(0).image).isEmpty());
}

QTEST_MAIN(TestPaper)
#include "tst_paper.moc"
