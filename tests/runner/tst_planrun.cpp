#include "support/planrunrig.h"

#include "runner/stepresolver.h"

#include "device/installcontrols.h"
#include "virtual/installvirtual.h"
#include "virtual/virtualprinter.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

// A control with a reference parameter, as the contracts are getting them.
class DirectIoDevice : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE qint32 DirectIO(qint32 Command, qint32& pData, QString& pString) {
        pData += Command;
        pString = pString.toUpper();
        return 0;
    }
};

} // namespace

class TestPlanRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void runsOnTheVirtualPrinter_data();
    void runsOnTheVirtualPrinter();
    void refusesABrokenPlanBeforeRunning_data();
    void refusesABrokenPlanBeforeRunning();
    void referenceParametersGiveBackTheirValues();
    void runsUnderOptions_data();
    void runsUnderOptions();
    void junitReportReadsBack_data();
    void junitReportReadsBack();
    void unwritableReportStopsBeforeAnyStep();
    void examplesRunGreen_data();
    void examplesRunGreen();
    void programRunsAPlan_data();
    void programRunsAPlan();

private:
    QTemporaryDir m_folder;
};

void TestPlanRun::initTestCase() {
    QVERIFY(m_folder.isValid());
    // Devices files of a shop: one printer each in a.ini and b.ini, two printer sections in shop.ini.
    const QString printer = QStringLiteral("[%1]\nclass=POSPrinter\nconnection=virtual:%2\n");
    const QString drawer = QStringLiteral("[%1]\nclass=CashDrawer\nprinter=%2\n");
    for (const auto& [name, text] :
         {std::pair{"a.ini", printer.arg("Z901", "A") + drawer.arg("Z901-1", "Z901")},
          std::pair{"b.ini", printer.arg("Z901", "B") + drawer.arg("Z901-1", "Z901")},
          std::pair{"shop.ini", printer.arg("Till-1", "Till1") + drawer.arg("Drawer-1", "Till-1") +
                                    printer.arg("Till-2", "Till2")}}) {
        QFile file(m_folder.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }
    qputenv("XDG_CONFIG_HOME", m_folder.path().toUtf8());
    qputenv("XDG_DATA_HOME", m_folder.path().toUtf8()); // the controls' statistics
    qunsetenv("POSLING_DEVICES");
    qunsetenv("POSLING_CAPTURE_DIR");
    installVirtualPrinter();
    installDeviceControls();
}

void TestPlanRun::init() {
    virtualPrinter()->setCoverOpen(false);
    virtualPrinter()->setPaper(virt::PaperLevel::Ok);
    virtualPrinter()->setOnline(true);
}

void TestPlanRun::runsOnTheVirtualPrinter_data() {
    QTest::addColumn<QString>("plan");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("every expectation holds; names in any case show as the contract spells them")
        << "printer Open Z901\nexpect OPOS_SUCCESS\nprinter claim 1000\nprinter DeviceEnabled = true\n"
           "expect 0\nexpect printer State = OPOS_S_IDLE\nprint \"hello\\0A\"\nexpect \"OPOS_SUCCESS\"\n"
           "printer Close\n"
        << 0 << QStringList{"0:  Result of Printer.Open:  OPOS_SUCCESS",
                            "1:  Result of Printer.Claim:  OPOS_SUCCESS",
                            "2:  DeviceEnabled = TRUE :  OPOS_SUCCESS",
                            "3:  Result of Printer.PrintNormal:  OPOS_SUCCESS",
                            "4:  Result of Printer.Close:  OPOS_SUCCESS",
                            "4 expectations, 0 failed"};
    QTest::newRow("a failed expectation is reported and the run goes on")
        << "printer Claim 1000\nexpect OPOS_SUCCESS\nprinter Open Z901\nexpect OPOS_E_CLOSED\n"
        << 1
        << QStringList{"0:  Result of Printer.Claim:  OPOS_E_CLOSED",
                       "1:  FAILED line 2: expected OPOS_SUCCESS, got OPOS_E_CLOSED",
                       "2:  Result of Printer.Open:  OPOS_SUCCESS",
                       "3:  FAILED line 4: expected OPOS_E_CLOSED, got OPOS_SUCCESS",
                       "2 expectations, 2 failed"};
    QTest::newRow("a property is read, and compared")
        << "printer Open Z901\nprinter State\nexpect printer State = OPOS_S_CLOSED\n"
        << 1 << QStringList{"1:  Printer.State = 2", "2:  FAILED line 3: expected Printer.State = 1, got 2"};
    QTest::newRow("constant names ORed into a set")
        << "printer Open Z901\nprinter PowerNotify = OPOS_PN_DISABLED|OPOS_PN_ENABLED\nexpect OPOS_SUCCESS\n"
           "expect PowerNotify = 1\nprinter Close\n"
        << 0 << QStringList{"1:  PowerNotify = 1 :  OPOS_SUCCESS"};
    QTest::newRow("an unknown device name shows the reason under its line")
        << "printer Open NOSUCHPRINTER\nexpect OPOS_SUCCESS\n"
        << 1 << QStringList{"0:  Result of Printer.Open:  OPOS_E_NOEXIST", "   Reason: "};
    QTest::newRow("a drawer kick and its event")
        << "drawer Open Z901-1\ndrawer DeviceEnabled = TRUE\ndrawer OpenDrawer\n"
           "wait-event \"*drawer 1 is open\" within 2000\ndrawer Close\n"
        << 0
        << QStringList{"2:  Result of CashDrawer1.OpenDrawer:  OPOS_SUCCESS",
                       "3-StatusUpdateEvent: 1 : Drawer 1 is Open",
                       "4:  Result of CashDrawer1.Close:  OPOS_SUCCESS"};
    QTest::newRow("a wait without its event fails after its time")
        << "printer Open Z901\nwait-event *COVER* within 50\nprinter Close\n"
        << 1
        << QStringList{"1:  FAILED line 2: expected an event like \"*COVER*\" within 50 ms, got none",
                       "2:  Result of Printer.Close:  OPOS_SUCCESS"};
    QTest::newRow("an event matched once is not matched again")
        << "drawer Open Z901-1\ndrawer DeviceEnabled = TRUE\ndrawer OpenDrawer\n"
           "wait-event \"*Drawer 1 is Open\" within 2000\nwait-event \"*Drawer 1 is Open\" within 50\n"
        << 1 << QStringList{"4:  FAILED line 5: expected an event like"};
    QTest::newRow("the control's own reference parameters: DirectIO's status byte, the statistics")
        << "printer Open Z901\nprinter Claim 1000\nprinter DeviceEnabled = TRUE\nprinter DirectIO 2 1 \"\"\n"
           "printer RetrieveStatistics \"PaperCutCount\"\nexpect OPOS_SUCCESS\nprinter Close\n"
        << 0
        << QStringList{
               "3:  Result of Printer.DirectIO:  OPOS_SUCCESS;  pData = ", // 18, or 22 with a drawer open
               "4:  Result of Printer.RetrieveStatistics:  OPOS_SUCCESS;  pStatisticsBuffer = \"<?xml"};
    QTest::newRow("the cover opened by the operator: extended results by name and text, events")
        << "printer Open Z901\nprinter Claim 1000\nprinter DeviceEnabled = TRUE\nask \"Open the cover\"\n"
           "wait-event *PTR_SUE_COVER_OPEN within 3000\nprint x\nexpect OPOS_EPTR_COVER_OPEN\n"
           "expect \"OPOS_E_EXTENDED:  OPOS_EPTR_COVER_OPEN\"\nexpect OPOS_E_EXTENDED\n"
           "ask \"Close the cover\"\nwait-event *PTR_SUE_COVER_OK within 3000\nprinter Close\n"
        << 0
        << QStringList{">> Open the cover",
                       "3-StatusUpdateEvent: 11: PTR_SUE_COVER_OPEN",
                       "4:  Result of Printer.PrintNormal:  OPOS_E_EXTENDED:  OPOS_EPTR_COVER_OPEN",
                       ">> Close the cover",
                       "5-StatusUpdateEvent: 12: PTR_SUE_COVER_OK",
                       "5 expectations, 0 failed"};
}

void TestPlanRun::runsOnTheVirtualPrinter() {
    QFETCH(QString, plan);
    QFETCH(QStringList, lines);
    const RunOutput run = runPlan(plan);
    QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors.join(u'\n')));
    const QString missing = missingLine(lines, run.out);
    QVERIFY2(missing.isEmpty(), qPrintable(missing));
    QTEST(run.code, "code");
}

void TestPlanRun::refusesABrokenPlanBeforeRunning_data() {
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown method")
        << "printer PrintNormall 2 x"
        << "p.plan:2: the printer has no method or property \"PrintNormall\"; did you mean PrintNormal?";
    QTest::newRow("word that is no number") << "printer Claim soon"
                                            << "p.plan:2: Timeout of Claim: \"soon\" is no whole number";
    QTest::newRow("unknown constant in an OR")
        << "printer RotatePrint PTR_S_RECEIPT PTR_RP_LEFT90|PTR_RP_BARCOD"
        << "p.plan:2: Rotation of RotatePrint: \"PTR_RP_LEFT90|PTR_RP_BARCOD\" is no whole number and no "
           "OPOS "
           "constant; did you mean PTR_RP_BARCODE?";
    QTest::newRow("too few arguments") << "printer CutPaper"
                                       << "p.plan:2: CutPaper takes one argument: how much of the paper to "
                                          "cut, in percent (100 cuts it off); "
                                          "the step gives none";
    QTest::newRow("an argument too many")
        << "drawer Open Z901-1 now"
        << "p.plan:2: Open takes one argument: the logical device name; the "
           "step gives 2";
    QTest::newRow("several arguments, by name") << "printer PrintBarCode PTR_S_RECEIPT \"1\""
                                                << "p.plan:2: PrintBarCode takes seven arguments: Station, "
                                                   "Data, Symbology, Height, Width, Alignment, "
                                                   "TextPosition; the step gives 2";
    QTest::newRow("truth value that is none") << "printer AsyncMode = maybe"
                                              << "p.plan:2: AsyncMode: \"maybe\" is not TRUE";
    QTest::newRow("read-only property set")
        << "printer State = 2"
        << "p.plan:2: the printer has no property \"State\" that can be set";
    QTest::newRow("property given arguments") << "printer State 2"
                                              << "p.plan:2: State of the printer is a property";
    QTest::newRow("drawer lacks a printer method")
        << "drawer CutPaper 90"
        << "p.plan:2: the drawer has no method or property \"CutPaper\"";
    QTest::newRow("result of a property read") << "printer State\nexpect OPOS_SUCCESS"
                                               << "p.plan:3: expect RESULT checks the result of a method";
    QTest::newRow("misspelt result")
        << "printer Close\nexpect OPOS_E_ILEGAL"
        << "p.plan:3: \"OPOS_E_ILEGAL\" is no result code, result name or result text; did you mean "
           "OPOS_E_ILLEGAL?";
    QTest::newRow("expected value of the wrong type") << "expect printer CoverOpen = 3"
                                                      << "p.plan:2: CoverOpen: \"3\" is not TRUE or FALSE";
    // A broken step may have meant a method, so the expect after it is not blamed as well.
    QTest::newRow("every error at once, in line order, grammar and checks alike")
        << "printer Claim soon\nprint a b\nexpect OPOS_SUCCESS\nprinter Flush\nwait-event x"
        << "p.plan:2: Timeout of Claim\np.plan:3: print takes one text\np.plan:5: the printer has no method\n"
           "p.plan:6: wait-event PATTERN within MS";
}

void TestPlanRun::refusesABrokenPlanBeforeRunning() {
    QFETCH(QString, step);
    QFETCH(QString, error);
    const RunOutput run = runPlan(QStringLiteral("printer Open Z901\n") + step);
    QCOMPARE(run.code, 2);
    QVERIFY2(run.out.isEmpty(), qPrintable(run.out.join(u'\n'))); // the good first line did not run
    const QStringList errors = error.split(u'\n');
    QCOMPARE(run.errors.size(), errors.size());
    for (qsizetype i = 0; i < errors.size(); ++i)
        QVERIFY2(run.errors.at(i).startsWith(errors.at(i)), qPrintable(run.errors.join(u'\n')));
}

void TestPlanRun::runsUnderOptions_data() {
    QTest::addColumn<QString>("plan");
    QTest::addColumn<bool>("strict");
    QTest::addColumn<bool>("operatorPresent");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("lines");
    const QString unchecked = "printer Open Z901\nexpect OPOS_SUCCESS\nprinter CutPaper 90\nprinter Close\n";
    QTest::newRow("a failure no expect checks passes")
        << unchecked << false << true << 0 << QStringList{"1 expectations, 0 failed"};
    QTest::newRow("--strict fails it")
        << unchecked << true << true << 1
        << QStringList{"2:  FAILED line 3: expected OPOS_SUCCESS, got OPOS_E_NOTCLAIMED (--strict",
                       "3 expectations, 1 failed"};
    QTest::newRow("--strict leaves an expected failure to its expect")
        << "printer CutPaper 90\nexpect OPOS_E_CLOSED\n"
        << true << true << 0 << QStringList{"1 expectations, 0 failed"};
    QTest::newRow("a plan that expects nothing says so")
        << "printer Open Z901\nprinter Close\n"
        << false << true << 0 << QStringList{"0 expectations, 0 failed: nothing"};
    QTest::newRow("--strict fails it")
        << "printer Open Z901\nprinter Close\n"
        << true << true << 1
        << QStringList{
               "2 expectations, 0 failed: nothing the plan expects was checked, which --strict fails"};
    QTest::newRow("no operator: the question and every check after it are left out, at once")
        << "printer Open Z901\nexpect OPOS_SUCCESS\nask \"Open the cover\"\nwait-event *COVER_OPEN within "
           "60000\n"
           "printer Close\nexpect OPOS_E_ILLEGAL\n"
        << false << false << 0
        << QStringList{">> Open the cover  [skipped: no operator]",
                       "1:  Result of Printer.Close:  OPOS_SUCCESS",
                       "3 expectations, 0 failed, 2 skipped without an operator"};
    QTest::newRow("no operator, --strict: nothing checked fails")
        << "ask \"Load paper\"\nprinter Open Z901\nexpect OPOS_SUCCESS\n"
        << true << false << 1
        << QStringList{"1 expectations, 0 failed, 1 skipped without an operator: nothing the plan expects"};
}

void TestPlanRun::runsUnderOptions() {
    QFETCH(QString, plan);
    QFETCH(QStringList, lines);
    runner::RunOptions options;
    QFETCH(bool, strict);
    QFETCH(bool, operatorPresent);
    options.strict = strict;
    options.operatorPresent = operatorPresent;
    const RunOutput run = runPlan(plan, options);
    const QString missing = missingLine(lines, run.out);
    QVERIFY2(missing.isEmpty(), qPrintable(missing));
    QTEST(run.code, "code");
}

void TestPlanRun::referenceParametersGiveBackTheirValues() {
    DirectIoDevice device;
    const runner::Plan plan =
        runner::readPlan(QStringLiteral("p.plan"), QStringLiteral("printer directio 5 37 \"ab\\41\""));
    const runner::StepResolver::Resolved resolved = runner::StepResolver(device, device).resolve(plan);
    QVERIFY(resolved.errors.isEmpty());
    const runner::DeviceCall& call = resolved.steps.first().call;
    QCOMPARE(call.name(), QStringLiteral("DirectIO"));
    for (int round = 0; round < 2; ++round) { // each call starts from the plan's values again
        const runner::DeviceCall::Outcome outcome = call.invoke();
        QCOMPARE(outcome.returned.number, 0);
        QCOMPARE(outcome.writtenBack.size(), 2);
        QCOMPARE(outcome.writtenBack.at(0).parameter, QStringLiteral("pData"));
        QCOMPARE(outcome.writtenBack.at(0).value.shown(), QStringLiteral("42"));
        QCOMPARE(outcome.writtenBack.at(1).parameter, QStringLiteral("pString"));
        QCOMPARE(outcome.writtenBack.at(1).value.shown(), QStringLiteral("\"ABA\""));
    }
}

void TestPlanRun::junitReportReadsBack_data() {
    QTest::addColumn<QString>("plan");
    QTest::addColumn<bool>("operatorPresent");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("suite");
    QTest::addColumn<QStringList>("cases");
    QTest::addColumn<QString>("answers"); // what the control learnt of the printer
    QTest::newRow("a run")
        << "printer Open Z901\nexpect OPOS_SUCCESS\nexpect OPOS_E_ILLEGAL\n"
           "wait-event \"*never*\" within 20\nprinter ClaimDevice 1000\n"
           "printer DeviceEnabled = TRUE\nprinter Close\n"
        << true << 1 << "p: 3 tests, 2 failures, 0 skipped"
        << QStringList{"line 2: expect OPOS_SUCCESS",
                       "line 3: expect OPOS_E_ILLEGAL -> failure: expected OPOS_E_ILLEGAL, got "
                       "OPOS_SUCCESS",
                       "line 4: wait-event \"*never*\" within 20 -> failure: expected an event "
                       "like \"*never*\" within 20 ms, got none"}
        << "real-time status, GS r, process IDs, automatic status, GS I; \"Virtual Printer 80\"";
    QTest::newRow("a broken plan: a failed case a line")
        << "printer Open Z901\nprinter Flush\nprint a b\n"
        << true << 2 << "p: 2 tests, 2 failures, 0 skipped"
        << QStringList{"line 2: printer Flush -> failure: the printer has no method or property \"Flush\"",
                       "line 3: print a b -> failure: print takes one text; quote a text with blanks"}
        << QString();
    QTest::newRow("no operator: skipped, with the question")
        << "printer Open Z901\nask \"Open the cover\"\nexpect printer CoverOpen = TRUE\nprinter Close\n"
        << false << 0 << "p: 2 tests, 0 failures, 2 skipped"
        << QStringList{"line 2: ask \"Open the cover\" -> skipped: Open the cover",
                       "line 3: expect printer CoverOpen = TRUE -> skipped: depends on the operator, who was "
                       "not "
                       "there: line 2: ask \"Open the cover\""}
        << QString();
}

void TestPlanRun::junitReportReadsBack() {
    QFETCH(QString, plan);
    QFETCH(bool, operatorPresent);
    runner::RunOptions options;
    options.junitFile = m_folder.filePath(QStringLiteral("report.xml"));
    options.operatorPresent = operatorPresent;
    const RunOutput run = runPlan(plan, options);
    QTEST(run.code, "code");
    const JUnitFile report = readJUnit(options.junitFile);
    QVERIFY2(report.error.isEmpty(), qPrintable(report.error));
    QCOMPARE(report.suites.size(), 1);
    QTEST(report.suites.first(), "suite");
    QTEST(report.cases, "cases");
    if (run.code == 2)
        return;
    // Which program and printer, what was printed, how long each step took.
    QCOMPARE(report.properties.value(QStringLiteral("posling.version")),
             QStringLiteral(POSLING_VERSION_TEXT));
    QVERIFY(report.properties.value(QStringLiteral("printer.DeviceName")).startsWith(QStringLiteral("Z901")));
    QFETCH(QString, answers);
    QVERIFY2(report.properties.value(QStringLiteral("printer.answers")).startsWith(answers),
             qPrintable(report.properties.value(QStringLiteral("printer.answers"))));
    QVERIFY2(report.output.startsWith(QStringLiteral("0:  Result of Printer.Open:  OPOS_SUCCESS\n")),
             qPrintable(report.output));
    if (report.times.contains(QStringLiteral("line 4: wait-event \"*never*\" within 20")))
        QVERIFY(report.times.value(QStringLiteral("line 4: wait-event \"*never*\" within 20")) >= 0.019);
}

void TestPlanRun::unwritableReportStopsBeforeAnyStep() {
    runner::RunOptions options;
    options.junitFile = m_folder.filePath(QStringLiteral("no/such/folder/report.xml"));
    const RunOutput run = runPlan(QStringLiteral("drawer Open Z901-1\ndrawer OpenDrawer\n"), options);
    QCOMPARE(run.code, 2);
    QVERIFY2(run.out.isEmpty(), qPrintable(run.out.join(u'\n')));
    QCOMPARE(run.errors.size(), 1);
    QVERIFY2(run.errors.first().contains(QStringLiteral("cannot write the JUnit report")),
             qPrintable(run.errors.first()));
}

void TestPlanRun::examplesRunGreen_data() {
    QTest::addColumn<QString>("example");
    for (const char* name : {"smoke", "property-report", "barcode-sweep", "fault-drill"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestPlanRun::examplesRunGreen() {
    QFETCH(QString, example);
    const runner::Plan plan = runner::loadPlan(QStringLiteral(POSLING_EXAMPLES_DIR "/%1.plan").arg(example));
    QVERIFY2(plan.ok(), qPrintable(plan.errorText()));
    const RunOutput run = runPlan(plan);
    QVERIFY2(run.code == 0, qPrintable(run.errors.join(u'\n') + run.out.join(u'\n')));
    QVERIFY(run.out.last().endsWith(QStringLiteral(", 0 failed")));
}

void TestPlanRun::programRunsAPlan_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("planText"); // written to a file the arguments name as PLAN
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out"); // lines that start lines of standard output, in this order
    QTest::addColumn<QString>("errors");
    QTest::addColumn<int>("suites"); // of the JUnit report; 0 for none
    const QString smoke = QStringLiteral(POSLING_EXAMPLES_DIR "/smoke.plan");
    QTest::newRow("the smoke test, with a JUnit report")
        << QStringList{"--run", smoke, "--junit", "JUNIT"} << "" << 0
        << "Devices: built-in defaults\nPrinter: Z901 at virtual:Z901\n0:  Result of Printer.Open:  "
           "OPOS_SUCCESS\n"
        << "" << 1;
    QTest::newRow("a failed expectation")
        << QStringList{"--run", "PLAN"} << "printer Close\nexpect OPOS_SUCCESS\n"
        << 1 << "1 expectations, 1 failed"
        << "" << 0;
    QTest::newRow("a broken plan") << QStringList{"--run", "PLAN"} << "printer Open Z901\nprinter Flush\n"
                                   << 2 << ""
                                   << ".plan:2: the printer has no method or property \"Flush\"" << 0;
    QTest::newRow("--junit alone") << QStringList{"--junit", "JUNIT"} << "" << 2 << ""
                                   << "--junit belongs to --run" << 0;
    // Usage errors are said as such, with no display in sight.
    QTest::newRow("an unknown option") << QStringList{"--bogus"} << "" << 2 << ""
                                       << "Unknown option 'bogus'" << 0;
    QTest::newRow("a stray argument") << QStringList{"extra"} << "" << 2 << ""
                                      << "takes no arguments" << 0;
    QTest::newRow("--strict alone") << QStringList{"--strict"} << "" << 2 << ""
                                    << "--strict belongs to --run" << 0;
    QTest::newRow("a plan on standard input")
        << QStringList{"--run", "-"} << "printer Open Z901\nexpect OPOS_SUCCESS\nprinter Close\n"
        << 0 << "1 expectations, 0 failed"
        << "" << 0;
    QTest::newRow("the fault drill from a CI: no operator, no display, no waiting")
        << QStringList{"--run", POSLING_EXAMPLES_DIR "/fault-drill.plan", "--junit", "JUNIT"} << "" << 0
        << ">> show virtual-printer  [skipped: no operator]"
        << "" << 1;
    // A device is written in place and never read as a plan, nor as a devices file.
    QTest::newRow("a JUnit report to /dev/null")
        << QStringList{"--run", smoke, "--junit", "/dev/null"} << "" << 0 << "Printer: Z901 at virtual:Z901"
        << "" << 0;
    QTest::newRow("a plan from /dev/zero") << QStringList{"--run", "/dev/zero"} << "" << 2 << ""
                                           << "cannot read the plan: it is a device" << 0;
    QTest::newRow("a devices file that is /dev/zero")
        << QStringList{"--run", "PLAN", "--devices", "/dev/zero"}
        << "printer Open Z901\nexpect OPOS_SUCCESS\n"
        << 1 << "Devices: /dev/zero ("
        << "cannot be read: it is a device" << 0;
    const QString drawerToo =
        "printer Open Z901\nexpect OPOS_SUCCESS\ndrawer Open Z901-1\nexpect OPOS_SUCCESS\n"
        "printer Close\n";
    QTest::newRow("two devices files, a suite each")
        << QStringList{"--run",     "PLAN",      "--devices", "DIR/a.ini",
                       "--devices", "DIR/b.ini", "--junit",   "JUNIT"}
        << drawerToo << 0
        << "Devices: DIR/a.ini\nPrinter: Z901 at virtual:A\nDevices: DIR/b.ini\nPrinter: Z901 at virtual:B\n"
           "2 printers: 4 expectations, 0 failed"
        << "" << 2;
    QTest::newRow("two printer sections, each with its own drawer")
        << QStringList{"--run", "PLAN", "--devices", "DIR/shop.ini[Till-1,Till-2]", "--junit", "JUNIT"}
        << drawerToo << 1
        << "Printer: Till-1 at virtual:Till1\n1:  Result of CashDrawer1.Open:  OPOS_SUCCESS\n"
           "Printer: Till-2 at virtual:Till2\n1:  Result of CashDrawer1.Open:  OPOS_E_NOEXIST\n"
           "2 printers: 4 expectations, 1 failed"
        << "" << 2;
}

void TestPlanRun::programRunsAPlan() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, planText);
    const QString planFile = m_folder.filePath(QStringLiteral("program.plan"));
    const QString junitFile = m_folder.filePath(QStringLiteral("program.xml"));
    QFile::remove(junitFile);
    QFile plan(planFile);
    QVERIFY(plan.open(QIODevice::WriteOnly | QIODevice::Truncate));
    plan.write(planText.toUtf8());
    plan.close();
    arguments.replaceInStrings(QStringLiteral("PLAN"), planFile);
    arguments.replaceInStrings(QStringLiteral("JUNIT"), junitFile);
    arguments.replaceInStrings(QStringLiteral("DIR"), m_folder.path());

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("POSLING_VIRTUAL_PANEL"), QStringLiteral("0"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM")); // the run needs no display
    program.setProcessEnvironment(environment);
    program.setStandardInputFile(planFile); // no terminal, as in a CI; and the plan for --run -
    program.start(QStringLiteral(POSLING_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(30000));
    const QString printed = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString complained = QString::fromLocal8Bit(program.readAllStandardError());
    QFETCH(QString, out);
    QFETCH(QString, errors);
    out.replace(QStringLiteral("DIR"), m_folder.path());
    const QString missing = missingLine(out.split(u'\n', Qt::SkipEmptyParts), printed.split(u'\n'));
    QVERIFY2(missing.isEmpty(), qPrintable(missing + complained));
    QVERIFY2(complained.contains(errors), qPrintable(complained));
    QTEST(program.exitCode(), "code");
    QFETCH(int, suites);
    if (suites > 0)
        QCOMPARE(readJUnit(junitFile).suites.size(), suites);
}

QTEST_MAIN(TestPlanRun)
#include "tst_planrun.moc"
