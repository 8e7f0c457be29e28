#include "device/control/cashdrawercontrol.h"
#include "device/control/posprintercontrol.h"
#include "device/registry/deviceconfig.h"
#include "device/registry/deviceregistry.h"
#include "support/fakeprinter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace device;
using namespace opos;

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& text) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return path;
}

// Sets or clears an environment variable for one scope.
class EnvGuard {
public:
    EnvGuard(const char* name, const QString& value)
        : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value.toLocal8Bit());
    }
    ~EnvGuard() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

const QByteArray kGood =
    "[Front]\nclass=POSPrinter\nconnection=memory:front ; the counter printer\nprofile=58mm\n"
    "timeout=500\ncapture=/tmp/a,b\n\n[Front-1]\nclass=CashDrawer\nprinter=Front\npin=5\n"
    "open_level=low\nclose_delay=0\n";

} // namespace

class TestDeviceRegistry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FakePrinter::install(); }

    void lookupOrder() {
        QTemporaryDir dir;
        const QString named =
            writeFile(dir, QStringLiteral("named.ini"), "[Named]\nclass=POSPrinter\nconnection=memory:n\n");
        QDir(dir.path()).mkpath(QStringLiteral("xdg/posling"));
        writeFile(dir, QStringLiteral("xdg/posling/devices.ini"),
                  "[User]\nclass=POSPrinter\nconnection=memory:u\n");
        {
            EnvGuard devices("POSLING_DEVICES", named);
            EnvGuard xdg("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("xdg")));
            const DeviceRegistry r = DeviceRegistry::load();
            QVERIFY(r.find(QStringLiteral("Named")));
            QVERIFY(!r.find(QStringLiteral("User")));
        }
        {
            EnvGuard devices("POSLING_DEVICES", QString());
            EnvGuard xdg("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("xdg")));
            const DeviceRegistry r = DeviceRegistry::load();
            QVERIFY(r.find(QStringLiteral("User")));
            QVERIFY(!r.find(QStringLiteral("Z901")));
        }
        {
            EnvGuard devices("POSLING_DEVICES", QString());
            EnvGuard xdg("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("nothing-here")));
            const DeviceRegistry r = DeviceRegistry::load();
            const auto printer = r.find(QStringLiteral("Z901"));
            QVERIFY(printer);
            QCOMPARE(printer->value(QStringLiteral("connection")), QStringLiteral("virtual:Z901"));
            const auto drawer = r.find(QStringLiteral("z901-1"));
            QVERIFY(drawer);
            QCOMPARE(drawer->value(QStringLiteral("printer")), QStringLiteral("Z901"));
        }
    }

    void namedFileMissingMakesEveryNameUnknown() {
        QTemporaryDir dir;
        EnvGuard devices("POSLING_DEVICES", dir.filePath(QStringLiteral("absent.ini")));
        const DeviceRegistry r = DeviceRegistry::load();
        QVERIFY(!r.problem().isEmpty());
        QCOMPARE(resolvePrinter(r, QStringLiteral("Z901")).code, OPOS_E_NOEXIST);
    }

    void valuesSurviveIniQuirks() {
        QTemporaryDir dir;
        const DeviceRegistry r = DeviceRegistry::fromFile(writeFile(dir, QStringLiteral("d.ini"), kGood));
        const auto resolved = resolveDrawer(r, QStringLiteral("Front-1"));
        QCOMPARE(resolved.code, OPOS_SUCCESS);
        const DrawerConfig& c = *resolved.config;
        QCOMPARE(c.pin, 5);
        QVERIFY(!c.openWhenHigh);
        QCOMPARE(c.printer.connection, QStringLiteral("memory:front"));
        QCOMPARE(c.printer.profile.id, QStringLiteral("58mm"));
        QCOMPARE(c.printer.timings.replyTimeoutMs, 500);
        // The virtual printer learns its drawer's wiring from the printer connection's options.
        QCOMPARE(c.printer.linkOptions.value(QStringLiteral("capture")), QStringLiteral("/tmp/a,b"));
        QCOMPARE(c.printer.linkOptions.value(QStringLiteral("open_level")), QStringLiteral("low"));
        QCOMPARE(c.printer.linkOptions.value(QStringLiteral("close_delay")), QStringLiteral("0"));
        QCOMPARE(c.printer.linkOptions.value(QStringLiteral("class")), QStringLiteral("POSPrinter"));
        QCOMPARE(c.printer.linkOptions.value(QStringLiteral("name")), QStringLiteral("Front"));
    }

    void resolve_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("drawer");
        QTest::addColumn<int>("expected");
        const QByteArray printer = "[P]\nclass=POSPrinter\nconnection=memory:p\n";
        QTest::newRow("good printer, default profile") << printer << "P" << false << OPOS_SUCCESS;
        QTest::newRow("name ignores case") << printer << "p" << false << OPOS_SUCCESS;
        QTest::newRow("unknown name") << printer << "Q" << false << OPOS_E_NOEXIST;
        QTest::newRow("empty name") << printer << "" << false << OPOS_E_NOEXIST;
        QTest::newRow("drawer opened as printer")
            << QByteArray(printer + "[D]\nclass=CashDrawer\nprinter=P\n") << "D" << false << OPOS_E_NOSERVICE;
        QTest::newRow("printer opened as drawer") << printer << "P" << true << OPOS_E_NOSERVICE;
        QTest::newRow("bad class") << QByteArray("[P]\nclass=Scanner\nconnection=memory:p\n") << "P" << false
                                   << OPOS_E_NOSERVICE;
        QTest::newRow("no connection")
            << QByteArray("[P]\nclass=POSPrinter\n") << "P" << false << OPOS_E_NOSERVICE;
        QTest::newRow("unknown scheme") << QByteArray("[P]\nclass=POSPrinter\nconnection=carrier:pigeon\n")
                                        << "P" << false << OPOS_E_NOSERVICE;
        QTest::newRow("no scheme") << QByteArray("[P]\nclass=POSPrinter\nconnection=/dev/usb/lp0\n") << "P"
                                   << false << OPOS_E_NOSERVICE;
        QTest::newRow("unknown profile")
            << QByteArray(printer + "profile=112mm\n") << "P" << false << OPOS_E_NOSERVICE;
        QTest::newRow("timeout not a number")
            << QByteArray(printer + "timeout=soon\n") << "P" << false << OPOS_E_NOSERVICE;
        QTest::newRow("timeout zero")
            << QByteArray(printer + "timeout=0\n") << "P" << false << OPOS_E_NOSERVICE;
        QTest::newRow("good drawer") << QByteArray(printer + "[D]\nclass=CashDrawer\nprinter=P\n") << "D"
                                     << true << OPOS_SUCCESS;
        QTest::newRow("drawer on missing printer")
            << QByteArray(printer + "[D]\nclass=CashDrawer\nprinter=X\n") << "D" << true << OPOS_E_NOSERVICE;
        QTest::newRow("drawer on a drawer")
            << QByteArray(printer + "[D]\nclass=CashDrawer\nprinter=E\n[E]\nclass=CashDrawer\nprinter=P\n")
            << "D" << true << OPOS_E_NOSERVICE;
        QTest::newRow("drawer pin 3") << QByteArray(printer + "[D]\nclass=CashDrawer\nprinter=P\npin=3\n")
                                      << "D" << true << OPOS_E_NOSERVICE;
        QTest::newRow("drawer polarity")
            << QByteArray(printer + "[D]\nclass=CashDrawer\nprinter=P\nopen_level=up\n") << "D" << true
            << OPOS_E_NOSERVICE;
        QTest::newRow("drawer pulse")
            << QByteArray(printer + "[D]\nclass=CashDrawer\nprinter=P\npulse_on=-5\n") << "D" << true
            << OPOS_E_NOSERVICE;
        QTest::newRow("section given twice")
            << QByteArray(printer + "[D]\nclass=CashDrawer\nprinter=P\n[P]\nprofile=58mm\n") << "P" << false
            << OPOS_E_NOSERVICE;
        QTest::newRow("section given twice in other case")
            << QByteArray(printer + "[p]\nprofile=58mm\n") << "P" << false << OPOS_E_NOSERVICE;
        QTest::newRow("other entries unaffected")
            << QByteArray(printer +
                          "[D]\nclass=CashDrawer\nprinter=Q\n[Q]\nclass=POSPrinter\nconnection=memory:q\n"
                          "[Q]\nprofile=58mm\n")
            << "P" << false << OPOS_SUCCESS;
        QTest::newRow("garbage") << QByteArray("\x00\x01\xff[[[=\n==\n[P\nclass", 20) << "P" << false
                                 << OPOS_E_NOEXIST;
        // Waits that would overflow the time-out arithmetic are refused, not wrapped around.
        QTest::newRow("timeout at the int limit")
            << QByteArray(printer + "timeout=2147483647\n") << "P" << false << OPOS_E_NOSERVICE;
        QTest::newRow("open_timeout at the int limit")
            << QByteArray(printer + "open_timeout=2147483647\n") << "P" << false << OPOS_E_NOSERVICE;
        QTest::newRow("timeout beyond int")
            << QByteArray(printer + "timeout=99999999999999999999\n") << "P" << false << OPOS_E_NOSERVICE;
        QTest::newRow("forever_cap at the int limit")
            << QByteArray(printer + "forever_cap=2147483647\n") << "P" << false << OPOS_SUCCESS;
        QTest::newRow("drawer pin huge")
            << QByteArray(printer + "[D]\nclass=CashDrawer\nprinter=P\npin=4294967298\n") << "D" << true
            << OPOS_E_NOSERVICE;
        QTest::newRow("empty section") << QByteArray("[P]\n[Q]\n") << "P" << false << OPOS_E_NOEXIST;
        QTest::newRow("section with a list value")
            << QByteArray("[P]\nclass=POSPrinter,Scanner\nconnection=memory:p\n") << "P" << false
            << OPOS_E_NOSERVICE;
    }

    void resolve() {
        QFETCH(QByteArray, ini);
        QFETCH(QString, name);
        QFETCH(bool, drawer);
        QFETCH(int, expected);
        QTemporaryDir dir;
        const DeviceRegistry r = DeviceRegistry::fromFile(writeFile(dir, QStringLiteral("d.ini"), ini));
        const qint32 code = drawer ? resolveDrawer(r, name).code : resolvePrinter(r, name).code;
        QCOMPARE(code, expected);
    }

    // The controls turn registry trouble into result codes and stay closed.
    void openRefusesUnusableEntries() {
        QTemporaryDir dir;
        EnvGuard devices(
            "POSLING_DEVICES",
            writeFile(dir, QStringLiteral("d.ini"),
                      "[P]\nclass=POSPrinter\nconnection=memory:p\nprofile=none\n[D]\nclass=CashDrawer\n"
                      "printer=P\n"));
        PosPrinterControl printer;
        QCOMPARE(printer.Open(QStringLiteral("P")), OPOS_E_NOSERVICE);
        QCOMPARE(printer.ResultCode(), OPOS_E_NOSERVICE);
        QCOMPARE(printer.State(), OPOS_S_CLOSED);
        QCOMPARE(printer.Open(QStringLiteral("Nope")), OPOS_E_NOEXIST);
        QCOMPARE(printer.OpenResult(), OPOS_OR_REGBADNAME);
        CashDrawerControl drawer;
        QCOMPARE(drawer.Open(QStringLiteral("D")), OPOS_E_NOSERVICE);
        QCOMPARE(drawer.State(), OPOS_S_CLOSED);
    }
};

QTEST_GUILESS_MAIN(TestDeviceRegistry)
#include "tst_deviceregistry.moc"
