#include "device/control/cashdrawercontrol.h"
#include "device/control/posprintercontrol.h"
#include "support/devicerig.h"
#include "support/fakeprinter.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace device;
using namespace opos;

namespace {

// The printer "P" or the drawer "D" hanging on it, driven through the same calls.
class Subject {
public:
    explicit Subject(bool drawer) : m_drawer(drawer) {}

    template <typename Call> auto with(Call call) { return m_drawer ? call(m_cashDrawer) : call(m_printer); }

    void open() {
        if (m_drawer)
            QCOMPARE(m_cashDrawer.Open(QStringLiteral("D")), OPOS_SUCCESS);
        else
            QVERIFY(m_printer.Open(QStringLiteral("P")) == OPOS_SUCCESS &&
                    m_printer.Claim(0) == OPOS_SUCCESS);
    }
    qint32 enable(bool on) {
        return with([&](auto& c) {
            c.setDeviceEnabled(on);
            return c.ResultCode();
        });
    }
    qint32 setPowerNotify(qint32 value) {
        return with([&](auto& c) {
            c.setPowerNotify(value);
            return c.ResultCode();
        });
    }
    std::unique_ptr<QSignalSpy> statusSpy() {
        return with([](auto& c) {
            using Control = std::remove_reference_t<decltype(c)>;
            return std::make_unique<QSignalSpy>(&c, &Control::StatusUpdateEvent);
        });
    }
    FakePrinter* fake() const { return FakePrinter::of(QStringLiteral("P")); }

private:
    DeviceRig m_rig;
    bool m_drawer;
    PosPrinterControl m_printer;
    CashDrawerControl m_cashDrawer;
};

QList<int> codes(const QSignalSpy& spy) {
    QList<int> out;
    for (const QList<QVariant>& args : spy)
        out << args.at(0).toInt();
    return out;
}

// One thing happening to the printer.
void act(FakePrinter* fake, const QString& action) {
    if (action == u"silent" || action == u"answer")
        fake->setSilent(action == u"silent");
    else if (action == u"deaf") {
        fake->setSilent(true); // a stopped printer whose receive buffer is full reads nothing
        QTest::qWait(1500);
    } else if (action == u"offline" || action == u"online")
        fake->setOffline(action == u"offline");
    else if (action == u"cover closed")
        fake->setCoverOpen(false);
    else if (action == u"unplug")
        fake->transport()->breakLink(QStringLiteral("unplugged"));
}

enum Stage { Closed, Opened, Enabled, Reopened };

} // namespace

class TestPowerReporting : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void properties_data() {
        QTest::addColumn<bool>("drawer");
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("notifyBeforeEnable"); // -1: left alone
        QTest::addColumn<int>("value");              // set at the stage
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("notify");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("cap");
        QTest::newRow("closed") << false << int(Closed) << -1 << 1 << OPOS_E_CLOSED << 0 << OPOS_PS_UNKNOWN
                                << OPOS_PR_NONE;
        QTest::newRow("disabled: on")
            << false << int(Opened) << -1 << 1 << OPOS_SUCCESS << 1 << OPOS_PS_UNKNOWN << OPOS_PR_ADVANCED;
        QTest::newRow("disabled: 2") << false << int(Opened) << -1 << 2 << OPOS_E_ILLEGAL << 0
                                     << OPOS_PS_UNKNOWN << OPOS_PR_ADVANCED;
        QTest::newRow("disabled: -1")
            << true << int(Opened) << 1 << -1 << OPOS_E_ILLEGAL << 1 << OPOS_PS_UNKNOWN << OPOS_PR_ADVANCED;
        QTest::newRow("enabled: off refused")
            << false << int(Enabled) << 1 << 0 << OPOS_E_ILLEGAL << 1 << OPOS_PS_ONLINE << OPOS_PR_ADVANCED;
        QTest::newRow("enabled without notify")
            << false << int(Enabled) << -1 << 1 << OPOS_E_ILLEGAL << 0 << OPOS_PS_UNKNOWN << OPOS_PR_ADVANCED;
        QTest::newRow("drawer enabled")
            << true << int(Enabled) << 1 << 0 << OPOS_E_ILLEGAL << 1 << OPOS_PS_ONLINE << OPOS_PR_ADVANCED;
        QTest::newRow("reopened: off again")
            << false << int(Reopened) << 1 << 2 << OPOS_E_ILLEGAL << 0 << OPOS_PS_UNKNOWN << OPOS_PR_ADVANCED;
        QTest::newRow("drawer closed")
            << true << int(Closed) << -1 << 0 << OPOS_E_CLOSED << 0 << OPOS_PS_UNKNOWN << OPOS_PR_NONE;
    }

    void properties() {
        QFETCH(bool, drawer);
        QFETCH(int, stage);
        QFETCH(int, notifyBeforeEnable);
        QFETCH(int, value);
        Subject s(drawer);
        if (stage >= Opened)
            s.open();
        if (notifyBeforeEnable >= 0)
            QCOMPARE(s.setPowerNotify(notifyBeforeEnable), OPOS_SUCCESS);
        if (stage == Enabled)
            QCOMPARE(s.enable(true), OPOS_SUCCESS);
        if (stage == Reopened) {
            s.with([](auto& c) { return c.Close(); });
            s.open();
        }
        QTEST(s.setPowerNotify(value), "code");
        QTEST(s.with([](auto& c) { return c.PowerNotify(); }), "notify");
        QTEST(s.with([](auto& c) { return c.PowerState(); }), "state");
        QTEST(s.with([](auto& c) { return c.CapPowerReporting(); }), "cap");
    }

    // Each step is "action:codes raised so far", each code expected within 2 s of its cause. A
    // cover left open stops the printer: it answers, but as offline.
    void events_data() {
        QTest::addColumn<bool>("drawer");
        QTest::addColumn<bool>("frozen");
        QTest::addColumn<bool>("coverAtEnable");
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("switched off") << false << false << false << QStringList{"silent:2004"};
        QTest::newRow("off, back on")
            << false << false << false << QStringList{"silent:2004", "answer:2004 2001"};
        QTest::newRow("offline, online")
            << false << false << false << QStringList{"offline:2003", "online:2003 2001"};
        QTest::newRow("stopped and deaf stays offline")
            << false << false << false
            << QStringList{"offline:2003", "deaf:2003", "answer:2003", "online:2003 2001"};
        QTest::newRow("unplugged, reopened") << false << false << false << QStringList{"unplug:2004 2001"};
        QTest::newRow("held while frozen") << false << true << false << QStringList{"silent:2004"};
        QTest::newRow("cover open at enable")
            << false << false << true << QStringList{"none:11 2003", "cover closed:11 2003 12 2001"};
        QTest::newRow("drawer, cover open at enable")
            << true << false << true << QStringList{"none:2003", "cover closed:2003 2001"};
        QTest::newRow("drawer off, back on")
            << true << false << false << QStringList{"silent:2004", "answer:2004 2001"};
    }

    void events() {
        QFETCH(bool, drawer);
        QFETCH(bool, frozen);
        QFETCH(bool, coverAtEnable);
        QFETCH(QStringList, steps);
        Subject s(drawer);
        s.open();
        s.fake()->setCoverOpen(coverAtEnable);
        QCOMPARE(s.setPowerNotify(OPOS_PN_ENABLED), OPOS_SUCCESS);
        const auto spy = s.statusSpy();
        QCOMPARE(s.enable(true), OPOS_SUCCESS);
        if (frozen)
            s.with([](auto& c) { c.setFreezeEvents(true); });
        for (const QString& step : steps) {
            const QString action = step.section(u':', 0, 0);
            QList<int> expected;
            for (const QString& code : step.section(u':', 1).split(u' '))
                expected << code.toInt();
            act(s.fake(), action);
            if (frozen) {
                QTRY_COMPARE_WITH_TIMEOUT(s.with([](auto& c) { return c.PowerState(); }), expected.last(),
                                          2000);
                QCOMPARE(spy->count(), 0);
                s.with([](auto& c) { c.setFreezeEvents(false); });
            }
            QTRY_COMPARE_WITH_TIMEOUT(codes(*spy), expected, 2000);
            QCOMPARE(s.with([](auto& c) { return c.PowerState(); }), expected.last());
        }
    }

    // Without PowerNotify, or once disabled, the printer sees no polling at all.
    void quiet_data() {
        QTest::addColumn<bool>("drawer");
        QTest::addColumn<int>("notify");
        QTest::addColumn<bool>("disableAgain");
        QTest::newRow("printer, notify off") << false << OPOS_PN_DISABLED << false;
        QTest::newRow("drawer, notify off") << true << OPOS_PN_DISABLED << false;
        QTest::newRow("printer disabled again") << false << OPOS_PN_ENABLED << true;
        QTest::newRow("drawer disabled again") << true << OPOS_PN_ENABLED << true;
    }

    void quiet() {
        QFETCH(bool, drawer);
        QFETCH(int, notify);
        QFETCH(bool, disableAgain);
        Subject s(drawer);
        s.open();
        QCOMPARE(s.setPowerNotify(notify), OPOS_SUCCESS);
        QCOMPARE(s.enable(true), OPOS_SUCCESS);
        if (disableAgain)
            QCOMPARE(s.enable(false), OPOS_SUCCESS);
        const auto spy = s.statusSpy();
        QTest::qWait(100);
        s.fake()->clear();
        s.fake()->setSilent(true);
        QTest::qWait(1500);
        QCOMPARE(s.fake()->received().toHex(), QByteArray());
        QCOMPARE(codes(*spy), QList<int>{});
        QCOMPARE(s.with([](auto& c) { return c.PowerState(); }), OPOS_PS_UNKNOWN);
    }
};

QTEST_GUILESS_MAIN(TestPowerReporting)
#include "tst_powerreporting.moc"
