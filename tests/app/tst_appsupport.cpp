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

    void informationOnlyArguments_data();
    void informationOnlyArguments();
    void devicesOptionGoesToTheEnvironment();
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
