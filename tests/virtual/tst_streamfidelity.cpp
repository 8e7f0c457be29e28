#include "support/printerharness.h"

#include <QTest>

using namespace virt;

// Byte streams as other point-of-sale software writes them, and what a printer puts on paper for
// each: no stray characters from commands the printer does not act on, the character tables, and
// the rules of line starts and of the blade.
class TestStreamFidelity : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void paperText_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("lines"); // printed text lines joined by |
        QTest::addColumn<int>("cuts");
        QTest::addColumn<int>("left"); // where the first line starts, -1: not checked
        const auto row = [](const char* name, const QByteArray& stream, const char* lines, int cuts = 0,
                            int left = -1) {
            QTest::newRow(name) << stream << QString::fromUtf8(lines) << cuts << left;
        };
        const auto hx = [](const char* hex) { return QByteArray::fromHex(hex); };
        // Commands taken at their full length, never printed.
        row("FS ( A with two-byte length", hx("1b40 1c2841020030 00 4869 0a"), "Hi");
        row("FS C n", hx("1c4331 4869 0a"), "Hi");
        row("ESC ( A swallows its data", hx("1b28410400 3031030a"), "");
        row("FS S and FS W", hx("1c530102 1c5701 4869 0a"), "Hi");
        row("FS 2 user kanji", hx("1c32a1a1") + QByteArray(72, '\0') + hx("48690a"), "Hi");
        row("GS C ; counter fields", hx("1d433b 313b 39393b 313b 313b 313b 4869 0a"), "Hi");
        row("GS g maintenance counter", hx("1d6730 00 1400 4869 0a"), "Hi");
        row("DLE EOT 7 and DLE DC4 fn 3", hx("100407 01 10140301 0101 0101 4869 0a"), "Hi");
        row("ESC c 0 paper type", hx("1b633001 4869 0a"), "Hi");
        // Character tables.
        row("ESC t 13: PC857 euro", hx("1b40 1b740d d5 0a"), "€");
        row("ESC t 1: Katakana line and letter", hx("1b7401 959595 b1 0a"), "───ｱ");
        row("ESC t 2 then 16", hx("1b7402 82 1b7410 80 0a"), "é€");
        row("ESC t the printer lacks is ignored", hx("1b7402 1b740c 82 0a"), "é");
        // Cuts.
        row("ESC i cuts", hx("41 0a 1b69"), "A", 1);
        row("ESC m cuts", hx("41 0a 1b6d"), "A", 1);
        row("GS V mid-line does nothing", hx("1b40 616263 1d564100"), "", 0);
        row("GS V mid-line, line finished later", hx("1b40 616263 1d564100 0a"), "abc", 0);
        // Alignment counts only at the start of a line: 3 glyphs of 12 dots on 576 dots of paper.
        row("ESC a centre at line start, left mid-line", hx("1b40 1b6101 414243 1b6100 0a"), "ABC", 0,
            (576 - 36) / 2);
        row("ESC a right mid-line is ignored", hx("1b40 414243 1b6102 444546 0a"), "ABCDEF", 0, 0);
        row("alignment kept from the start", hx("1b40 1b6102 41 0a 1b6100 42 0a"), "A|B", 0, 576 - 12);
    }

    void paperText() {
        QFETCH(QByteArray, stream);
        QFETCH(QString, lines);
        QFETCH(int, cuts);
        QFETCH(int, left);
        PrinterHarness h;
        h.send(stream);
        QCOMPARE(h.lines().join(u'|'), lines);
        QCOMPARE(h.printer->paper()->receiptsCut(), cuts);
        if (left >= 0) {
            QList<PrintedLine> printed;
            for (const Receipt& receipt : h.printer->paper()->receipts())
                printed += receipt.lines;
            printed += h.printer->paper()->currentLines();
            QVERIFY(!printed.isEmpty());
            QCOMPARE(printed.first().left, left);
        }
        QCOMPARE(h.session->interpreter().unknownCount(), 0);
    }

    // Reverse printing draws no underline: the underlined reverse line is the plain reverse line.
    void reverseHidesUnderline() {
        PrinterHarness underlined, plain;
        underlined.sendHex("1b2d01 1d4201 4142 0a");
        plain.sendHex("1d4201 4142 0a");
        QCOMPARE(underlined.current(), plain.current());
        PrinterHarness normalUnderlined, normalPlain; // underline comes back when reverse ends
        normalUnderlined.sendHex("1b2d01 1d4201 1d4200 4142 0a");
        normalPlain.sendHex("4142 0a");
        QVERIFY(normalUnderlined.current() != normalPlain.current());
    }

    // The older status requests answer as GS r does.
    void oldStatusRequestsAnswer() {
        PrinterHarness h;
        h.sendHex("1b7500 1b76");
        QCOMPARE(h.takeReplies().toHex(), QByteArray("0000"));
    }

    // Ignored commands are named on the wire monitor, so a user sees what the printer passed over.
    void ignoredCommandsAreNamed() {
        PrinterHarness h;
        h.sendHex("1c4331 1b740c");
        QStringList names;
        for (const WireLog::Entry& entry : h.printer->wireLog()->entries())
            names << entry.name;
        QVERIFY2(names.join(u'|').contains(QLatin1String("FS C  kanji code system (ignored)")),
                 qPrintable(names.join(u'|')));
        QVERIFY2(names.join(u'|').contains(QLatin1String("no character code table 12 here")),
                 qPrintable(names.join(u'|')));
    }
};

QTEST_MAIN(TestStreamFidelity)
#include "tst_streamfidelity.moc"
