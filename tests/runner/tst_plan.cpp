#include "runner/plan.h"

#include <QTest>

using runner::PlanStep;
using runner::readPlan;

Q_DECLARE_METATYPE(PlanStep::Kind)

class TestPlan : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsEachKindOfStep_data();
    void readsEachKindOfStep();
    void namesTheLineOfAnError_data();
    void namesTheLineOfAnError();
    void skipsCommentsAndBlankLines();
    void aPlanWithoutAStepIsAnError_data();
    void aPlanWithoutAStepIsAnError();
};

void TestPlan::readsEachKindOfStep_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<PlanStep::Kind>("kind");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("arguments");
    using K = PlanStep::Kind;
    QTest::newRow("method") << "printer Open Z901" << K::Call << "printer"
                            << "Open" << QStringList{"Z901"};
    QTest::newRow("quoted words keep blanks, doubled quotes and backslashes")
        << R"(printer PrintNormal 2 "say ""hi""\0A" x)" << K::Call << "printer"
        << "PrintNormal" << QStringList{"2", R"(say "hi"\0A)", "x"};
    QTest::newRow("empty quoted word") << R"(drawer Open "")" << K::Call << "drawer"
                                       << "Open" << QStringList{""};
    QTest::newRow("property read") << "printer State" << K::Call << "printer"
                                   << "State" << QStringList{};
    QTest::newRow("property set, = without blanks") << "printer DeviceEnabled=true" << K::Set << "printer"
                                                    << "DeviceEnabled" << QStringList{"true"};
    QTest::newRow("expect a result") << "expect OPOS_E_ILLEGAL" << K::ExpectResult << ""
                                     << "" << QStringList{"OPOS_E_ILLEGAL"};
    QTest::newRow("expect a property of a device")
        << "expect drawer DrawerOpened = False" << K::ExpectProperty << "drawer"
        << "DrawerOpened" << QStringList{"False"};
    QTest::newRow("expect a quoted value") << R"(expect DeviceName = "Z 901")" << K::ExpectProperty << ""
                                           << "DeviceName" << QStringList{"Z 901"};
    QTest::newRow("print") << R"(print "\1B|cAtitle")" << K::Print << "printer"
                           << "" << QStringList{R"(\1B|cAtitle)"};
    QTest::newRow("ask the operator") << R"(ask "Open the cover" within 5000)" << K::Ask << ""
                                      << "" << QStringList{"Open the cover"};
    QTest::newRow("show the virtual printer") << "show virtual-printer" << K::ShowPrinter << ""
                                              << "" << QStringList{};
}

void TestPlan::readsEachKindOfStep() {
    QFETCH(QString, line);
    const runner::Plan plan = readPlan(QStringLiteral("a.plan"), QStringLiteral("\n") + line);
    QVERIFY2(plan.ok(), qPrintable(plan.errorText()));
    QCOMPARE(plan.steps.size(), 1);
    const PlanStep& step = plan.steps.first();
    QCOMPARE(step.line, 2);
    QTEST(step.kind, "kind");
    QTEST(step.device, "device");
    QTEST(step.name, "name");
    QTEST(step.arguments, "arguments");
}

void TestPlan::namesTheLineOfAnError_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown step") << "opne Z901"
                                  << "\"opne\" is no step";
    QTest::newRow("open quote") << R"(print "unfinished)"
                                << "no closing quote";
    QTest::newRow("device alone") << "printer"
                                  << "needs a method or a property";
    QTest::newRow("set without value") << "printer AsyncMode ="
                                       << "a property set is";
    QTest::newRow("expect nothing") << "expect"
                                    << "expect needs";
    QTest::newRow("expect two words") << "expect OPOS E"
                                      << "quote a text";
    QTest::newRow("wait without time") << "wait-event *11*"
                                       << "wait-event PATTERN within MS";
    QTest::newRow("wait of no time") << "wait-event *11* within 0"
                                     << "above 0";
    QTest::newRow("print two texts") << "print a b"
                                     << "print takes one text";
    QTest::newRow("ask two texts") << "ask open cover"
                                   << "ask \"TEXT\" [within MS]";
    QTest::newRow("ask without a time") << "ask \"x\" within soon"
                                        << "above 0";
    QTest::newRow("show what") << "show paper"
                               << "show takes one window";
}

void TestPlan::namesTheLineOfAnError() {
    QFETCH(QString, line);
    QFETCH(QString, error);
    const runner::Plan plan = readPlan(QStringLiteral("checks/a.plan"),
                                       QStringLiteral("printer Open Z901\r\n# fine so far\r\n") + line);
    QVERIFY(!plan.ok());
    QCOMPARE(plan.steps.size(), 1); // the good line is kept, to be checked against the controls too
    QCOMPARE(plan.errors.size(), 1);
    QVERIFY2(plan.errorText().startsWith(QStringLiteral("checks/a.plan:3: ")), qPrintable(plan.errorText()));
    QVERIFY2(plan.errors.first().reason.contains(error), qPrintable(plan.errorText()));
}

void TestPlan::skipsCommentsAndBlankLines() {
    const runner::Plan plan = readPlan(
        QStringLiteral("a"), QStringLiteral("# smoke test\n\n   \n  # indented\nprinter Claim 1000\n"));
    QVERIFY(plan.ok());
    QCOMPARE(plan.steps.size(), 1);
    QCOMPARE(plan.steps.first().line, 5);
}

void TestPlan::aPlanWithoutAStepIsAnError_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("comments and blank lines") << "# a plan to come\n\n   \r\n";
}

void TestPlan::aPlanWithoutAStepIsAnError() {
    QFETCH(QString, text);
    const runner::Plan plan = readPlan(QStringLiteral("a.plan"), text);
    QVERIFY(!plan.ok());
    QCOMPARE(plan.errorText(),
             QStringLiteral("a.plan: the plan has no step: a run of it would check nothing"));
}

QTEST_MAIN(TestPlan)
#include "tst_plan.moc"
