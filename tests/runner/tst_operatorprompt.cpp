#include "runner/operatorprompt.h"

#include <QElapsedTimer>
#include <QTest>

#include <unistd.h>

// The operator's Enter, read from a pipe as from a terminal: never a wait past the time-out.
class TestOperatorPrompt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void operatorPromptNeverHangs_data();
    void operatorPromptNeverHangs();
};

void TestOperatorPrompt::operatorPromptNeverHangs_data() {
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("answered");
    QTest::newRow("Enter") << QByteArray("\n") << false << true;
    QTest::newRow("a line with words") << QByteArray("done\n") << false << true;
    QTest::newRow("end of input") << QByteArray() << true << false;
    QTest::newRow("words, then end of input") << QByteArray("done") << true << false;
    QTest::newRow("nothing: the time-out") << QByteArray() << false << false;
}

void TestOperatorPrompt::operatorPromptNeverHangs() {
    QFETCH(QByteArray, typed);
    QFETCH(bool, closed);
    int ends[2];
    QCOMPARE(::pipe(ends), 0);
    QCOMPARE(::write(ends[1], typed.constData(), size_t(typed.size())), ssize_t(typed.size()));
    if (closed)
        ::close(ends[1]);
    QElapsedTimer clock;
    clock.start();
    const bool answered = runner::OperatorPrompt(ends[0]).waitForEnter(300);
    const qint64 waited = clock.elapsed();
    ::close(ends[0]);
    if (!closed)
        ::close(ends[1]);
    QTEST(answered, "answered");
    QVERIFY2(waited < 2000, qPrintable(QString::number(waited)));
    if (answered || closed)
        QVERIFY2(waited < 250, qPrintable(QString::number(waited))); // no waiting for the time-out
}

QTEST_GUILESS_MAIN(TestOperatorPrompt)
#include "tst_operatorprompt.moc"
