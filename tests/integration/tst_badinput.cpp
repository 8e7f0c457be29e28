#include "device/control/posprintercontrol.h"
#include "device/installcontrols.h"
#include "opos/oposconstants.h"
#include "virtual/installvirtual.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace opos;

// What a user can type or pick in the windows, at its worst, through the control the windows call,
// on the built-in virtual printer: every call answers with a code, and the printer still prints.
class TestBadInput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_folder.isValid());
        qputenv("XDG_CONFIG_HOME", m_folder.path().toUtf8()); // the built-in registry: Z901 is virtual
        qunsetenv("POSLING_DEVICES");
        installDeviceControls();
        installVirtualPrinter();
        QCOMPARE(m_printer.Open(QStringLiteral("Z901")), OPOS_SUCCESS);
        QCOMPARE(m_printer.Claim(1000), OPOS_SUCCESS);
        m_printer.setDeviceEnabled(true);
        QCOMPARE(m_printer.ResultCode(), OPOS_SUCCESS);
    }

    void cleanup() {
        // Whatever came before, the printer still takes a plain line.
        QCOMPARE(m_printer.PrintNormal(PTR_S_RECEIPT, QStringLiteral("still printing\n")), OPOS_SUCCESS);
    }

    void printText_data() {
        QTest::addColumn<QString>("text");
        QString planes;
        for (char32_t plane = 0; plane <= 0x10; ++plane)
            for (char32_t c : {plane << 16 | 0x41, plane << 16 | 0xFFFD})
                planes += QString::fromUcs4(&c, 1);
        // Longer to print than the reply time-out: the wait counts from the last bytes the printer took.
        QTest::newRow("1 MB of text") << QString(1024 * 1024, u'x');
        QTest::newRow("100,000 escapes") << QStringLiteral("\x1b|bC\x1b|N").repeated(50000);
        QTest::newRow("every Unicode plane") << planes + QStringLiteral("\n");
        QTest::newRow("lone surrogates and controls")
            << QString(QChar(0xD800)) + QChar(0xDFFF) + QChar(0) + "\x1b|";
    }

    void printText() {
        QFETCH(QString, text);
        QCOMPARE(m_printer.PrintNormal(PTR_S_RECEIPT, text), OPOS_SUCCESS);
    }

    // Empty data and 10,000 characters for every symbology: a code, never a hang or a crash.
    void barCodeData() {
        const qint32 symbologies[] = {
            PTR_BCS_UPCA,    PTR_BCS_UPCE,   PTR_BCS_EAN8,           PTR_BCS_EAN13,   PTR_BCS_ITF,
            PTR_BCS_Codabar, PTR_BCS_Code39, PTR_BCS_Code93,         PTR_BCS_Code128, PTR_BCS_UPCA_S,
            PTR_BCS_EAN128,  PTR_BCS_OCRA,   PTR_BCS_Code128_Parsed, PTR_BCS_PDF417,  PTR_BCS_MAXICODE,
            PTR_BCS_OTHER};
        for (qint32 symbology : symbologies)
            for (const QString& data : {QString(), QString(10000, u'7')}) {
                const qint32 code = m_printer.PrintBarCode(PTR_S_RECEIPT, data, symbology, 100, 300,
                                                           PTR_BC_CENTER, PTR_BC_TEXT_NONE);
                QVERIFY2(code == OPOS_SUCCESS || code == OPOS_E_ILLEGAL || code == OPOS_E_EXTENDED,
                         qPrintable(QStringLiteral("symbology %1, %2 characters: %3")
                                        .arg(symbology)
                                        .arg(data.size())
                                        .arg(code)));
            }
    }

    void bitmapFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>(
            "content"); // "<fifo>", "<dir>" and absolute paths are made or used as such
        QTest::addColumn<int>("code");
        QByteArray huge = QByteArray::fromHex("424d") + QByteArray(52, '\0');
        huge[10] = 54;
        huge[14] = 40;
        huge[18] = char(0xFF), huge[19] = char(0xFF); // 65,535 x 65,535
        huge[22] = char(0xFF), huge[23] = char(0xFF);
        huge[26] = 1;
        huge[28] = 24;
        QTest::newRow("65535 x 65535 declared") << "huge.bmp" << huge << int(OPOS_E_EXTENDED);
        QTest::newRow("zero bytes") << "empty.bmp" << QByteArray() << int(OPOS_E_EXTENDED);
        QTest::newRow("truncated header") << "cut.bmp" << QByteArray("BM\x10", 3) << int(OPOS_E_EXTENDED);
        QTest::newRow("a folder") << "folder" << QByteArray("<dir>") << int(OPOS_E_NOEXIST);
        QTest::newRow("a pipe") << "pipe" << QByteArray("<fifo>") << int(OPOS_E_EXTENDED);
        QTest::newRow("/dev/zero") << "/dev/zero" << QByteArray() << int(OPOS_E_EXTENDED);
    }

    void bitmapFiles() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(int, code);
        QString path = name.startsWith(u'/') ? name : m_folder.filePath(name);
        if (content == "<dir>") {
            QVERIFY(QDir().mkpath(path));
        } else if (content == "<fifo>") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (!name.startsWith(u'/')) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        QCOMPARE(m_printer.PrintBitmap(PTR_S_RECEIPT, path, PTR_BM_ASIS, PTR_BM_CENTER), code);
        QVERIFY2(m_printer.ResultReason().contains(path),
                 qPrintable(m_printer.ResultReason())); // in its hover
        QCOMPARE(m_printer.SetBitmap(1, PTR_S_RECEIPT, path, PTR_BM_ASIS, PTR_BM_CENTER), code);
        QVERIFY2(m_printer.ResultReason().contains(path), qPrintable(m_printer.ResultReason()));
    }

private:
    QTemporaryDir m_folder;
    device::PosPrinterControl m_printer;
};

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
