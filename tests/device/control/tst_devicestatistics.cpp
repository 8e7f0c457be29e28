#include "device/control/devicestatistics.h"

#include <QtTest>

using namespace device;

namespace {

// The document read independently of the code under test: Equipment children as
// "Equipment/Child=text" (DeviceCategory by its UPOS attribute), entries as "Element Name=Value".
QStringList flatten(const QString& xml) {
    QStringList lines;
    QXmlStreamReader reader(xml);
    QString element, name;
    while (reader.readNext() != QXmlStreamReader::Invalid && !reader.atEnd()) {
        if (!reader.isStartElement())
            continue;
        const QString tag = reader.name().toString();
        if (tag == QLatin1String("UPOSStat") || tag == QLatin1String("Equipment") ||
            tag == QLatin1String("Event"))
            element = tag;
        else if (tag == QLatin1String("Parameter") || tag == QLatin1String("ManufacturerSpecific"))
            element = (element == QLatin1String("Event") ? QStringLiteral("Event ") : QString()) + tag;
        else if (tag == QLatin1String("Name"))
            name = reader.readElementText();
        else if (tag == QLatin1String("Value"))
            lines += element + QLatin1Char(' ') + name + QLatin1Char('=') + reader.readElementText();
        else if (tag == QLatin1String("DeviceCategory"))
            lines +=
                QStringLiteral("Equipment/DeviceCategory=") + reader.attributes().value("UPOS").toString();
        else
            lines += QStringLiteral("Equipment/") + tag + QLatin1Char('=') + reader.readElementText();
    }
    return reader.hasError() ? QStringList{reader.errorString()} : lines;
}

QString statisticsFolder() {
    return QFileInfo(DeviceStatistics::fileFor(QStringLiteral("x"))).path();
}

QStringList entries(const QString& xml) {
    return flatten(xml).filter(QRegularExpression(QStringLiteral("^(Parameter|ManufacturerSpecific) ")));
}

} // namespace

class TestDeviceStatistics : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QDir(statisticsFolder()).removeRecursively(); }
    void cleanupTestCase() { QDir(statisticsFolder()).removeRecursively(); }
    void retrieve_data();
    void retrieve();
    void equipmentAndRequestAreReported();
    void resetAndUpdate_data();
    void resetAndUpdate();
    void persistsAcrossObjectsWithoutWritingEveryCount();
    void everyDeviceNameHasAFileOfItsOwn();
    void damagedFileStartsFromZero_data();
    void damagedFileStartsFromZero();
};

void TestDeviceStatistics::retrieve_data() {
    QTest::addColumn<bool>("drawer");
    QTest::addColumn<QString>("request");
    QTest::addColumn<qint32>("code");
    QTest::addColumn<QStringList>("expected");
    const QString cuts = QStringLiteral("Parameter PaperCutCount=2");
    const QString bitmaps = QStringLiteral("ManufacturerSpecific BitmapPrintedCount=1");
    const QString comm = QStringLiteral("Parameter CommunicationErrorCount=0");
    QStringList category =
        QStringLiteral("ReceiptLinePrintedCount ReceiptCharacterPrintedCount ReceiptLineFeedCount "
                       "PaperCutCount BarcodePrintedCount PrinterFaultCount ReceiptCoverOpenCount")
            .split(QLatin1Char(' '));
    for (QString& name : category)
        name = name == QLatin1String("PaperCutCount") ? cuts : QStringLiteral("Parameter %1=0").arg(name);
    QTest::newRow("all") << false << "" << opos::OPOS_SUCCESS
                         << QStringList{comm} + category + QStringList{bitmaps};
    QTest::newRow("U_") << false << "U_" << opos::OPOS_SUCCESS << QStringList{comm} + category;
    QTest::newRow("P_") << false << "P_" << opos::OPOS_SUCCESS << category;
    QTest::newRow("M_") << false << "M_" << opos::OPOS_SUCCESS << QStringList{bitmaps};
    QTest::newRow("names") << false << " BitmapPrintedCount , PaperCutCount" << opos::OPOS_SUCCESS
                           << QStringList{cuts, bitmaps};
    QTest::newRow("unknown names empty")
        << false << "Foo,PaperCutCount,DrawerGoodOpenCount" << opos::OPOS_SUCCESS
        << QStringList{cuts, "Parameter Foo=", "Parameter DrawerGoodOpenCount="};
    QTest::newRow("equipment only") << false << "ModelName" << opos::OPOS_SUCCESS << QStringList{};
    QTest::newRow("drawer all") << true << "" << opos::OPOS_SUCCESS
                                << QStringList{comm, "Parameter DrawerGoodOpenCount=0",
                                               "Parameter DrawerFailedOpenCount=3"};
    QTest::newRow("empty item") << false << "PaperCutCount," << opos::OPOS_E_ILLEGAL << QStringList{};
    QTest::newRow("space in name") << false << "Paper CutCount" << opos::OPOS_E_ILLEGAL << QStringList{};
    QTest::newRow("semicolons") << false << "PaperCutCount;M_" << opos::OPOS_E_ILLEGAL << QStringList{};
}

void TestDeviceStatistics::retrieve() {
    QFETCH(bool, drawer);
    QFETCH(QString, request);
    QFETCH(qint32, code);
    DeviceStatistics statistics(drawer ? StatisticsCategory::CashDrawer : StatisticsCategory::PosPrinter);
    statistics.increment(drawer ? statistic::DrawerFailedOpenCount : statistic::PaperCutCount,
                         drawer ? 3 : 2);
    if (!drawer)
        statistics.increment(statistic::BitmapPrintedCount);
    QString xml = QStringLiteral("untouched");
    QCOMPARE(statistics.retrieve(request, xml).code, code);
    if (code == opos::OPOS_SUCCESS)
        QTEST(entries(xml), "expected");
    else
        QCOMPARE(xml, QStringLiteral("untouched"));
}

void TestDeviceStatistics::equipmentAndRequestAreReported() {
    DeviceStatistics statistics(StatisticsCategory::CashDrawer);
    statistics.setEquipment({QStringLiteral("Maker & Co"), QStringLiteral("CD-4"), QString(),
                             QStringLiteral("2.1"), QStringLiteral("TCP")});
    QString xml;
    QCOMPARE(statistics.retrieve(QStringLiteral("U_"), xml).code, opos::OPOS_SUCCESS);
    const QStringList lines = flatten(xml);
    for (const char* line :
         {"Event Parameter RequestedStatistic=U_", "Equipment/DeviceCategory=CashDrawer",
          "Equipment/ManufacturerName=Maker & Co", "Equipment/ModelName=CD-4",
          "Equipment/SerialNumber=", "Equipment/FirmwareRevision=2.1", "Equipment/Interface=TCP"})
        QVERIFY2(lines.contains(QLatin1String(line)), line);
}

void TestDeviceStatistics::resetAndUpdate_data() {
    QTest::addColumn<bool>("reset");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<qint32>("code");
    QTest::addColumn<QString>("values"); // in catalog order, each 5 before the call
    const qint32 ok = opos::OPOS_SUCCESS, illegal = opos::OPOS_E_ILLEGAL;
    const QString unchanged = QStringLiteral("5 5 5 5 5 5 5 5 5");
    QTest::newRow("reset all") << true << "" << ok << "0 0 0 0 0 0 0 0 0";
    QTest::newRow("reset U_") << true << "U_" << ok << "0 0 0 0 0 0 0 0 5";
    QTest::newRow("reset P_") << true << "P_" << ok << "5 0 0 0 0 0 0 0 5";
    QTest::newRow("reset M_") << true << "M_" << ok << "5 5 5 5 5 5 5 5 0";
    QTest::newRow("reset names") << true << "PaperCutCount, ReceiptLineFeedCount" << ok
                                 << "5 5 5 0 0 5 5 5 5";
    QTest::newRow("reset unknown") << true << "PaperCutCount,Foo" << illegal << unchanged;
    QTest::newRow("reset malformed") << true << "PaperCutCount,,M_" << illegal << unchanged;
    QTest::newRow("update name") << false << "PaperCutCount=9" << ok << "5 5 5 5 9 5 5 5 5";
    QTest::newRow("update all") << false << "=0" << ok << "0 0 0 0 0 0 0 0 0";
    QTest::newRow("update groups") << false << "P_=0, CommunicationErrorCount=4,M_=7" << ok
                                   << "4 0 0 0 0 0 0 0 7";
    QTest::newRow("update unknown") << false << "PaperCutCount=1,Foo=2" << illegal << unchanged;
    QTest::newRow("update equipment") << false << "FirmwareRevision=2" << illegal << unchanged;
    QTest::newRow("update no value") << false << "PaperCutCount" << illegal << unchanged;
    QTest::newRow("update negative") << false << "PaperCutCount=-1" << illegal << unchanged;
    QTest::newRow("update too big") << false << "PaperCutCount=9223372036854775808" << illegal << unchanged;
    QTest::newRow("update nothing") << false << " " << illegal << unchanged;
}

void TestDeviceStatistics::resetAndUpdate() {
    QFETCH(bool, reset);
    QFETCH(QString, argument);
    QFETCH(qint32, code);
    DeviceStatistics statistics(StatisticsCategory::PosPrinter);
    for (const StatisticDefinition& definition : statisticsOf(StatisticsCategory::PosPrinter))
        statistics.increment(definition.name, 5);
    const Outcome outcome = reset ? statistics.reset(argument) : statistics.update(argument);
    QCOMPARE(outcome.code, code);
    QCOMPARE(outcome.extended, 0);
    QStringList values;
    for (const StatisticDefinition& definition : statisticsOf(StatisticsCategory::PosPrinter))
        values += QString::number(statistics.value(definition.name));
    QTEST(values.join(QLatin1Char(' ')), "values");
}

void TestDeviceStatistics::persistsAcrossObjectsWithoutWritingEveryCount() {
    const QString device = QStringLiteral("Z901");
    auto first = std::make_unique<DeviceStatistics>(StatisticsCategory::PosPrinter);
    first->load(device);
    first->increment(statistic::ReceiptLinePrintedCount, 40);
    QVERIFY(!QFile::exists(DeviceStatistics::fileFor(device))); // coalesced, not written per line
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(DeviceStatistics::fileFor(device)),
                             3 * DeviceStatistics::kSaveDelayMs);
    first->increment(statistic::PaperCutCount);
    first.reset(); // the destructor writes the last cut

    DeviceStatistics second(StatisticsCategory::PosPrinter);
    second.load(device);
    QCOMPARE(second.value(statistic::ReceiptLinePrintedCount), 40);
    QCOMPARE(second.value(statistic::PaperCutCount), 1);
    second.increment(statistic::PaperCutCount);
    second.load(QStringLiteral("Z901-other")); // moving on saves the old device first
    QCOMPARE(second.value(statistic::PaperCutCount), 0);
    second.load(device);
    QCOMPARE(second.value(statistic::PaperCutCount), 2);
}

void TestDeviceStatistics::everyDeviceNameHasAFileOfItsOwn() {
    QStringList names{"Z901", "front/back counter", "..", ".", "", "%", "a b", "a_b", "a%20b", "Ünïcode"};
    names << QString(300, QLatin1Char('x')) << QString(299, QLatin1Char('x')) + "y";
    QSet<QString> files;
    for (const QString& name : names) {
        const QFileInfo file(DeviceStatistics::fileFor(name));
        QVERIFY2(file.fileName().toUtf8().size() <= 255, qPrintable(file.fileName()));
        QCOMPARE(file.path(), statisticsFolder());
        files.insert(file.fileName());
        DeviceStatistics statistics(StatisticsCategory::CashDrawer);
        statistics.load(name);
        statistics.increment(statistic::DrawerGoodOpenCount);
        statistics.flush();
        QVERIFY2(file.exists(), qPrintable(name));
    }
    QCOMPARE(files.size(), names.size());
}

void TestDeviceStatistics::damagedFileStartsFromZero_data() {
    QTest::addColumn<QByteArray>("contents");
    DeviceStatistics drawer(StatisticsCategory::CashDrawer);
    QString drawerXml;
    drawer.retrieve(QString(), drawerXml);
    QString printerXml;
    DeviceStatistics printer(StatisticsCategory::PosPrinter);
    printer.increment(statistic::PaperCutCount, 8);
    printer.retrieve(QString(), printerXml);
    QTest::newRow("not xml") << QByteArray("\x00\xff garbage", 10);
    QTest::newRow("cut off") << printerXml.toUtf8().left(printerXml.size() / 2);
    QTest::newRow("foreign root") << QByteArray("<settings><PaperCutCount>8</PaperCutCount></settings>");
    QTest::newRow("a drawer's") << drawerXml.toUtf8();
    QTest::newRow("not a count") << QString(printerXml).replace(">8<", ">eight<").toUtf8();
}

void TestDeviceStatistics::damagedFileStartsFromZero() {
    QFETCH(QByteArray, contents);
    QDir().mkpath(statisticsFolder());
    QFile file(DeviceStatistics::fileFor(QStringLiteral("Z901")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
    file.close();
    DeviceStatistics statistics(StatisticsCategory::PosPrinter);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("ignored, counting from zero")));
    statistics.load(QStringLiteral("Z901"));
    QCOMPARE(statistics.value(statistic::PaperCutCount), 0);
    statistics.increment(statistic::PaperCutCount);
    statistics.flush();
    DeviceStatistics reread(StatisticsCategory::PosPrinter);
    reread.load(QStringLiteral("Z901"));
    QCOMPARE(reread.value(statistic::PaperCutCount), 1);
}

QTEST_GUILESS_MAIN(TestDeviceStatistics)
#include "tst_devicestatistics.moc"
