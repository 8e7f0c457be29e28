#include "app/enterpressesbuttons.h"

#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

// Enter and Return press the focused button once, in a window and in a dialog whose default
// button is another one; with a modifier, or on a disabled button, they do nothing.
class TestEnterPressesButtons : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { EnterPressesButtons::install(); }
    void keys_data() {
        QTest::addColumn<bool>("inDialog");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("presses");
        QTest::newRow("Return in a window") << false << int(Qt::Key_Return) << 0 << true << 1;
        QTest::newRow("keypad Enter in a window")
            << false << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true << 1;
        QTest::newRow("Return in a dialog") << true << int(Qt::Key_Return) << 0 << true << 1;
        QTest::newRow("Ctrl+Return") << false << int(Qt::Key_Return) << int(Qt::ControlModifier) << true << 0;
        QTest::newRow("disabled") << false << int(Qt::Key_Return) << 0 << false << 0;
    }
    void keys() {
        QFETCH(bool, inDialog);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, enabled);
        std::unique_ptr<QWidget> window(inDialog ? new QDialog : new QWidget);
        auto* layout = new QVBoxLayout(window.get());
        auto* focused = new QPushButton(QStringLiteral("Focused"));
        auto* other = new QPushButton(QStringLiteral("Default"));
        other->setDefault(true);
        layout->addWidget(focused);
        layout->addWidget(other);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        focused->setFocus();
        focused->setEnabled(enabled);
        QSignalSpy pressed(focused, &QPushButton::clicked);
        QSignalSpy defaultPressed(other, &QPushButton::clicked);
        QTest::keyClick(focused, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTEST(int(pressed.size()), "presses");
        QCOMPARE(defaultPressed.size(), 0);
    }
};

QTEST_MAIN(TestEnterPressesButtons)
#include "tst_enterpressesbuttons.moc"
