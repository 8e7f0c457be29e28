#include "app/centring.h"
#include "app/commandline.h"
#include "app/messagebox.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

// The small pieces under the windows: the centring rule, the command line, the message box seam.
class TestAppSupport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void centring_data();
    void centring();
    void besideTheMainWindow_data();
    void besideTheMainWindow();

    void informationOnlyArguments_data();
    void informationOnlyArguments();
    void devicesOptionGoesToTheEnvironment();
    void missingDisplayIsOneSentence_data();
    void missingDisplayIsOneSentence();
    void versionText();

    void messageBoxHandlerAnswersWithoutABox();
    void messageBoxShowsAWarningWithOk();
};

void TestAppSupport::centring_data() {
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("even") << QRect(0, 0, 1024, 768) << QSize(624, 368) << QPoint(200, 200);
    QTest::newRow("odd difference truncates")
        << QRect(0, 0, 1025, 769) << QSize(624, 368) << QPoint(200, 200);
    QTest::newRow("screen with an offset")
        << QRect(1920, 30, 1280, 994) << QSize(280, 194) << QPoint(2420, 430);
    // Larger than the screen: the negative half is truncated toward zero, not rounded down.
    QTest::newRow("larger than the screen") << QRect(0, 0, 600, 300) << QSize(605, 309) << QPoint(-2, -4);
}

void TestAppSupport::centring() {
    QFETCH(QRect, available);
    QFETCH(QSize, outer);
    QFETCH(QPoint, topLeft);
    QCOMPARE(centredTopLeft(available, outer), topLeft);
}

void TestAppSupport::besideTheMainWindow_data() {
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("anchor");
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<int>("preferred");
    QTest::addColumn<QPoint>("topLeft");
    const QRect screen(0, 0, 1280, 1024);
    const QRect main(330, 340, 620, 340); // centred main window: 330..949
    const int right = int(Side::Right);
    const int left = int(Side::Left);
    QTest::newRow("right fits") << screen << main << QSize(300, 390) << right << QPoint(950, 340);
    QTest::newRow("left fits") << screen << main << QSize(156, 346) << left << QPoint(174, 340);
    QTest::newRow("exactly to the edge") << screen << main << QSize(330, 300) << right << QPoint(950, 340);
    QTest::newRow("right too narrow, goes left")
        << screen << QRect(400, 340, 620, 340) << QSize(300, 390) << right << QPoint(100, 340);
    QTest::newRow("one pixel too wide for either side")
        << screen << main << QSize(331, 300) << right << QPoint(949, 340);
    QTest::newRow("neither side, against the right edge")
        << QRect(0, 0, 1024, 768) << QRect(202, 214, 620, 340) << QSize(300, 390) << right
        << QPoint(724, 214);
    QTest::newRow("neither side, against the left edge")
        << QRect(0, 0, 1024, 768) << QRect(202, 214, 620, 340) << QSize(300, 390) << left << QPoint(0, 214);
    QTest::newRow("kept above the bottom")
        << screen << QRect(330, 800, 620, 200) << QSize(300, 390) << right << QPoint(950, 634);
    QTest::newRow("second screen with panel") << QRect(1280, 32, 1920, 1048) << QRect(1930, 100, 620, 340)
                                              << QSize(300, 390) << left << QPoint(1630, 100);
}

void TestAppSupport::besideTheMainWindow() {
    QFETCH(QRect, available);
    QFETCH(QRect, anchor);
    QFETCH(QSize, outer);
    QFETCH(int, preferred);
    QFETCH(QPoint, topLeft);
    QCOMPARE(besideTopLeft(available, anchor, outer, Side(preferred)), topLeft);
}

void TestAppSupport::informationOnlyArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("informationOnly");
    QTest::newRow("none") << QStringList{"posling"} << false;
    QTest::newRow("version") << QStringList{"posling", "--version"} << true;
    QTest::newRow("short help") << QStringList{"posling", "-h"} << true;
    QTest::newRow("devices") << QStringList{"posling", "--devices", "d.ini"} << false;
    QTest::newRow("program name alone is no option") << QStringList{"--version"} << false;
    QTest::newRow("after --") << QStringList{"posling", "--", "--help"} << false;
}

void TestAppSupport::informationOnlyArguments() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, informationOnly);
    QCOMPARE(CommandLine::asksForInformationOnly(arguments), informationOnly);
}

void TestAppSupport::devicesOptionGoesToTheEnvironment() {
    qunsetenv("POSLING_DEVICES");
    CommandLine without;
    QVERIFY(without.parser().parse({"posling"}));
    without.apply();
    QVERIFY(!qEnvironmentVariableIsSet("POSLING_DEVICES"));

    CommandLine with;
    QVERIFY(with.parser().parse({"posling", "--devices", "/tmp/my devices.ini"}));
    with.apply();
    QCOMPARE(qEnvironmentVariable("POSLING_DEVICES"), QStringLiteral("/tmp/my devices.ini"));
    qunsetenv("POSLING_DEVICES");
}

void TestAppSupport::missingDisplayIsOneSentence_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("variable");
    QTest::addColumn<bool>("refused");
    QTest::newRow("nothing set") << QStringList{"posling"} << QString() << true;
    QTest::newRow("empty DISPLAY") << QStringList{"posling"} << "DISPLAY=" << true;
    QTest::newRow("X display") << QStringList{"posling"} << "DISPLAY=:99" << false;
    QTest::newRow("Wayland") << QStringList{"posling"} << "WAYLAND_DISPLAY=wayland-0" << false;
    QTest::newRow("platform variable") << QStringList{"posling"} << "QT_QPA_PLATFORM=offscreen" << false;
    QTest::newRow("platform argument")
        << QStringList{"posling", "-platform", "offscreen"} << QString() << false;
    QTest::newRow("platform after --") << QStringList{"posling", "--", "-platform"} << QString() << true;
}

void TestAppSupport::missingDisplayIsOneSentence() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, variable);
    QFETCH(bool, refused);
    QProcessEnvironment environment;
    if (!variable.isEmpty())
        environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    const QString message = CommandLine::missingDisplayMessage(arguments, environment);
    QCOMPARE(!message.isEmpty(), refused);
    if (refused) {
        QVERIFY(message.contains(QStringLiteral("xvfb-run")));
        QVERIFY(!message.contains(u'\n'));
    }
}

void TestAppSupport::versionText() {
    setApplicationIdentity();
    QCOMPARE(QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion(),
             QStringLiteral("Posling 1.00.0010"));
}

void TestAppSupport::messageBoxHandlerAnswersWithoutABox() {
    QList<MessageBox::Request> requests;
    MessageBox::setHandler([&](const MessageBox::Request& request) {
        requests << request;
        return QMessageBox::Ok;
    });
    const auto answer =
        MessageBox::warning(nullptr, QStringLiteral("Illegal Value"),
                            QStringLiteral("This value cannot be NULL! Please enter a value"));
    MessageBox::setHandler({});
    QCOMPARE(answer, QMessageBox::Ok);
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.at(0).icon, QMessageBox::Warning);
    QCOMPARE(requests.at(0).title, QStringLiteral("Illegal Value"));
    QCOMPARE(requests.at(0).text, QStringLiteral("This value cannot be NULL! Please enter a value"));
    QCOMPARE(requests.at(0).buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

// Without a handler a real, modal box appears; Enter closes it.
void TestAppSupport::messageBoxShowsAWarningWithOk() {
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        title = box->windowTitle();
        icon = box->icon();
        QTest::keyClick(box, Qt::Key_Return);
    });
    // Should the box not close, this ends it rather than hang the test.
    QTimer::singleShot(5000, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->done(QMessageBox::Cancel);
    });
    const auto answer = MessageBox::warning(nullptr, QStringLiteral("Illegal Value"), QStringLiteral("text"));
    QCOMPARE(answer, QMessageBox::Ok);
    QCOMPARE(title, QStringLiteral("Illegal Value"));
    QCOMPARE(icon, QMessageBox::Warning);
}

QTEST_MAIN(TestAppSupport)
#include "tst_appsupport.moc"
