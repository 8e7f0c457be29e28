#include "device/check/devicecheck.h"
#include "device/check/devicediscovery.h"
#include "device/installcontrols.h"
#include "device/registry/deviceconfig.h"
#include "device/transport/memorytransport.h"
#include "device/transport/transportfactory.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace device;

namespace {

// A printer on a local port that answers what the check sends as told. The check sends a request
// only after the one before was answered or timed out, so every read is one request.
class ScriptedPrinter : public QObject {
public:
    using Reply = std::function<QByteArray(const QByteArray& request)>;

    explicit ScriptedPrinter(Reply reply) : m_reply(std::move(reply)) {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket,
                    [this, socket] { socket->write(m_reply(socket->readAll())); });
        });
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    Reply m_reply;
    QTcpServer m_server;
};

// Answers each request of a read: DLE EOT n, and unless real-time only GS r n, GS ( H and GS I 65
// to 68, as a printer in order does.
QByteArray escPosReply(const QByteArray& request, bool realTimeOnly, const QByteArray& model = "Test Model") {
    const QHash<char, QByteArray> names = {
        {'A', "_1.0"}, {'B', "_Test Maker"}, {'C', '_' + model}, {'D', "_42"}};
    QByteArray reply;
    for (qsizetype i = 0; i + 2 < request.size(); ++i) {
        const QByteArray command = request.mid(i, 2);
        if (command == "\x10\x04") {
            reply += '\x12';
        } else if (realTimeOnly) {
            continue;
        } else if (command == "\x1D\x72") {
            reply += '\0';
        } else if (command == "\x1D\x28" && request.size() >= i + 11) {
            reply += QByteArray("\x37\x22") + request.mid(i + 7, 4) + '\0';
            i += 8;
        } else if (command == "\x1D\x49" && names.contains(request.at(i + 2))) {
            reply += names.value(request.at(i + 2)) + '\0';
        } else {
            continue;
        }
        i += 2;
    }
    return reply;
}

QString printer(const QString& name, const QString& connection, const QString& extra = {}) {
    return QStringLiteral("[%1]\nclass=POSPrinter\nconnection=%2\ntimeout=300\nopen_timeout=300\n%3\n")
        .arg(name, connection, extra);
}

QString drawer(const QString& name, const QString& printerName) {
    return QStringLiteral("[%1]\nclass=CashDrawer\nprinter=%2\n").arg(name, printerName);
}

bool writeText(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

class TestDeviceCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    // Each kind of entry, from one run over a registry that has them all.
    void entryVerdict_data();
    void entryVerdict();
    void overallResult_data();
    void overallResult();

    void randomBytesAreNoPrinter();

    void discovery_data();
    void discovery();
    void foundDeviceGetsARegistryEntry();

private:
    QString expand(QString text) const;
    bool runCheck(const QStringList& sections, const DiscoveryFolders& folders, QStringList* lines = nullptr);

    QTemporaryDir m_dir;
    ScriptedPrinter m_escPos{[](const QByteArray& r) { return escPosReply(r, false); }};
    ScriptedPrinter m_realTimeOnly{[](const QByteArray& r) { return escPosReply(r, true); }};
    ScriptedPrinter m_garbage{[](const QByteArray&) { return QByteArrayLiteral("\xFF"); }};
    ScriptedPrinter m_silent{[](const QByteArray&) { return QByteArray(); }};
    // Names itself with what would retitle and clear the technician's terminal.
    ScriptedPrinter m_escapes{
        [](const QByteArray& r) { return escPosReply(r, false, "\x1b]2;Paid\x07\x1b[2J"); }};
    // Random bytes that start a header reply and never end it.
    ScriptedPrinter m_unended{[](const QByteArray&) { return QByteArray::fromHex("374b40f71fc77a24"); }};
    ScriptedPrinter m_nameless{[](const QByteArray& r) { return escPosReply(r, false, ""); }};
    ScriptedPrinter m_random{[](const QByteArray&) {
        QByteArray bytes(8, Qt::Uninitialized);
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(bytes.data()), 2);
        return bytes;
    }};
    quint16 m_closedPort = 0;
    int m_heldFd = -1;
    QMap<QString, QString> m_sections; // registry sections by entry name
    QList<CheckedDevice> m_entries;    // of the run over all of them
    QStringList m_lines;
};

QString TestDeviceCheck::expand(QString text) const {
    return text.replace(QStringLiteral("%DIR%"), m_dir.path())
        .replace(QStringLiteral("%PID%"), QString::number(::getpid()))
        .replace(QStringLiteral("%CLOSED%"), QString::number(m_closedPort))
        .replace(QStringLiteral("%ESCPOS%"), QString::number(m_escPos.port()))
        .replace(QStringLiteral("%REALTIME%"), QString::number(m_realTimeOnly.port()))
        .replace(QStringLiteral("%GARBAGE%"), QString::number(m_garbage.port()))
        .replace(QStringLiteral("%SILENT%"), QString::number(m_silent.port()))
        .replace(QStringLiteral("%ESCAPES%"), QString::number(m_escapes.port()))
        .replace(QStringLiteral("%UNENDED%"), QString::number(m_unended.port()))
        .replace(QStringLiteral("%NAMELESS%"), QString::number(m_nameless.port()))
        .replace(QStringLiteral("%RANDOM%"), QString::number(m_random.port()));
}

bool TestDeviceCheck::runCheck(const QStringList& sections, const DiscoveryFolders& folders,
                               QStringList* lines) {
    QString text;
    for (const QString& name : sections)
        text += m_sections.value(name);
    const QString path = m_dir.filePath(QStringLiteral("devices.ini"));
    if (!writeText(path, text))
        return false;
    qputenv("POSLING_DEVICES", QFile::encodeName(path));
    DeviceCheck check(DeviceRegistry::load(), folders);
    const bool allOk = check.run([lines](const QString& line) {
        if (lines)
            lines->append(line);
    });
    m_entries = check.entries();
    return allOk;
}

void TestDeviceCheck::initTestCase() {
    QVERIFY(m_dir.isValid());
    installDeviceControls();
    // The virtual printer is not built into this test: its entries need only their scheme known.
    TransportFactory::registerScheme(
        QStringLiteral("virtual"), [](const QString& name, const QMap<QString, QString>&, QString*) {
            return std::unique_ptr<Transport>(std::make_unique<MemoryTransport>(name));
        });
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        m_closedPort = closed.serverPort();
    }
    QVERIFY(writeText(m_dir.filePath(QStringLiteral("noaccess")), {}));
    QVERIFY(::chmod(QFile::encodeName(m_dir.filePath(QStringLiteral("noaccess"))).constData(), 0) == 0);
    QVERIFY(writeText(m_dir.filePath(QStringLiteral("held")), {}));
    m_heldFd = ::open(QFile::encodeName(m_dir.filePath(QStringLiteral("held"))).constData(), O_RDWR);
    QVERIFY(m_heldFd >= 0 && ::flock(m_heldFd, LOCK_EX | LOCK_NB) == 0);

    const QList<std::pair<QString, QString>> sections = {
        {"Refused", printer("Refused", "tcp://127.0.0.1:%CLOSED%")},
        {"EscPos", printer("EscPos", "tcp://127.0.0.1:%ESCPOS%")},
        {"Garbage", printer("Garbage", "tcp://127.0.0.1:%GARBAGE%")},
        {"Silent", printer("Silent", "tcp://127.0.0.1:%SILENT%")},
        {"Escapes", printer("Escapes", "tcp://127.0.0.1:%ESCAPES%")},
        {"Unended", printer("Unended", "tcp://127.0.0.1:%UNENDED%")},
        {"Nameless", printer("Nameless", "tcp://127.0.0.1:%NAMELESS%")},
        {"RandomPeer", printer("RandomPeer", "tcp://127.0.0.1:%RANDOM%")},
        {"RandomFile", printer("RandomFile", "file:/dev/urandom")},
        {"Missing", printer("Missing", "file:%DIR%/missing")},
        {"Folder", printer("Folder", "file:%DIR%")},
        {"NoSerialPort", printer("NoSerialPort", "serial:/dev/null")},
        {"BadBaud", printer("BadBaud", "serial:/dev/ptmx", "baud=fast")},
        {"NoAccess", printer("NoAccess", "file:%DIR%/noaccess")},
        {"Held", printer("Held", "file:%DIR%/held")},
        {"Virtual", printer("Virtual", "virtual:Z901")},
        {"BadTimeout", printer("BadTimeout", "tcp://127.0.0.1:%ESCPOS%", "timeout=soon")},
        {"RealTimeOnly", printer("RealTimeOnly", "tcp://127.0.0.1:%REALTIME%")},
        {"BadProfile", printer("BadProfile", "tcp://127.0.0.1:%ESCPOS%", "profile=80mn")},
        {"TimeoutInSeconds", printer("TimeoutInSeconds", "tcp://127.0.0.1:%ESCPOS%", "timeout=3s")},
        {"MisspeltKey", printer("MisspeltKey", "tcp://127.0.0.1:%ESCPOS%", "profle=58mm")},
        {"BadPin", drawer("BadPin", "EscPos") + "pin=3\n"},
        {"BadOpenLevel", drawer("BadOpenLevel", "EscPos") + "open_level=hi\n"},
        {"DrawerOnEscPos", drawer("DrawerOnEscPos", "EscPos")},
        {"DrawerOnSilent", drawer("DrawerOnSilent", "Silent")},
        {"DrawerOnNothing", drawer("DrawerOnNothing", "Nowhere")},
    };
    for (const auto& [name, text] : sections)
        m_sections.insert(name, expand(text));
    QVERIFY(!runCheck(m_sections.keys(),
                      {m_dir.filePath("none"), m_dir.filePath("none"), m_dir.filePath("none")}, &m_lines));
}

void TestDeviceCheck::cleanupTestCase() {
    ::close(m_heldFd);
    qunsetenv("POSLING_DEVICES");
}

void TestDeviceCheck::entryVerdict_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("verdict"); // how the verdict text starts

    QTest::newRow("nobody listens") << "Refused"
                                    << "tcp://127.0.0.1:%CLOSED%"
                                    << "not found: connection refused";
    QTest::newRow("ESC/POS printer")
        << "EscPos"
        << "tcp://127.0.0.1:%ESCPOS%"
        << "ok: answers as \"Test Model\" (maker \"Test Maker\", firmware 1.0, serial 42); answers real-time "
           "status, GS r, process IDs, GS I";
    QTest::newRow("real-time status only")
        << "RealTimeOnly"
        << "tcp://127.0.0.1:%REALTIME%"
        << "ok: answers status requests but gives no model name; answers real-time status. This printer "
           "answers "
           "real-time status only: Posling sees paper and cover, not when a receipt has printed";
    QTest::newRow("wrong fixed bits") << "Garbage"
                                      << "tcp://127.0.0.1:%GARBAGE%"
                                      << "answers but not ESC/POS: DLE EOT 1 was answered with FF,";
    QTest::newRow("a reply begun, never ended") << "Unended"
                                                << "tcp://127.0.0.1:%UNENDED%"
                                                << "answers but not ESC/POS";
    QTest::newRow("silent, so printed blind")
        << "Silent"
        << "tcp://127.0.0.1:%SILENT%"
        << "ok: This printer answers nothing: either it cannot, or another program holds it.";
    QTest::newRow("name with escape sequences")
        << "Escapes"
        << "tcp://127.0.0.1:%ESCAPES%"
        << "ok: answers as \"\\x1b]2;Paid\\x07\\x1b[2J\" (maker \"Test Maker\"";
    QTest::newRow("empty model name") << "Nameless"
                                      << "tcp://127.0.0.1:%NAMELESS%"
                                      << "ok: answers as a printer of no model name (maker \"Test Maker\"";
    QTest::newRow("missing file") << "Missing"
                                  << "file:%DIR%/missing"
                                  << "not found: %DIR%/missing does not exist";
    // Said in the words of the thing that is wrong.
    QTest::newRow("a folder") << "Folder"
                              << "file:%DIR%"
                              << "bad entry: %DIR% is a folder, not a printer's device";
    QTest::newRow("no serial port") << "NoSerialPort"
                                    << "serial:/dev/null"
                                    << "bad entry: /dev/null is no serial port";
    QTest::newRow("bad baud") << "BadBaud"
                              << "serial:/dev/ptmx"
                              << "bad entry: connection \"serial:/dev/ptmx\": baud must be a positive number";
    QTest::newRow("no permission") << "NoAccess"
                                   << "file:%DIR%/noaccess"
                                   << "permission denied: you may not read and write %DIR%/noaccess; fix: ";
    QTest::newRow("held by another open") << "Held"
                                          << "file:%DIR%/held"
                                          << "busy: held by PID %PID% (";
    QTest::newRow("virtual, without I/O") << "Virtual"
                                          << "virtual:Z901"
                                          << "ok: the built-in virtual printer";
    // Refused as Open refuses them, for the same reason.
    QTest::newRow("malformed entry") << "BadTimeout"
                                     << "tcp://127.0.0.1:%ESCPOS%"
                                     << "bad entry: entry \"BadTimeout\": timeout=\"soon\"";
    QTest::newRow("timeout in seconds") << "TimeoutInSeconds"
                                        << "tcp://127.0.0.1:%ESCPOS%"
                                        << "bad entry: entry \"TimeoutInSeconds\": timeout=\"3s\"";
    QTest::newRow("unknown profile") << "BadProfile"
                                     << "tcp://127.0.0.1:%ESCPOS%"
                                     << "bad entry: entry \"BadProfile\": unknown profile \"80mn\"";
    QTest::newRow("misspelt key")
        << "MisspeltKey"
        << "tcp://127.0.0.1:%ESCPOS%"
        << "bad entry: entry \"MisspeltKey\": unknown key \"profle\" (did you mean \"profile\"?)";
    QTest::newRow("drawer pin 3") << "BadPin"
                                  << "tcp://127.0.0.1:%ESCPOS%"
                                  << "bad entry: drawer \"BadPin\": pin must be 2 or 5";
    QTest::newRow("drawer open level hi")
        << "BadOpenLevel"
        << "tcp://127.0.0.1:%ESCPOS%"
        << "bad entry: drawer \"BadOpenLevel\": open_level must be high or low";
    QTest::newRow("drawer through its printer")
        << "DrawerOnEscPos"
        << "tcp://127.0.0.1:%ESCPOS%"
        << "ok: a cash drawer, checked through its printer entry EscPos";
    QTest::newRow("drawer shares its printer's verdict")
        << "DrawerOnSilent"
        << "tcp://127.0.0.1:%SILENT%"
        << "ok: a cash drawer, checked through its printer entry Silent";
    QTest::newRow("drawer on no printer")
        << "DrawerOnNothing"
        << ""
        << "bad entry: drawer \"DrawerOnNothing\" hangs on \"Nowhere\", which is no POSPrinter entry";
}

void TestDeviceCheck::entryVerdict() {
    QFETCH(QString, name);
    QFETCH(QString, connection);
    QFETCH(QString, verdict);
    if (name == QLatin1String("NoAccess") && ::geteuid() == 0)
        QSKIP("root may open any file");
    const auto checked = std::find_if(m_entries.cbegin(), m_entries.cend(),
                                      [&](const CheckedDevice& device) { return device.name == name; });
    QVERIFY(checked != m_entries.cend());
    QVERIFY2(checked->result.text().startsWith(expand(verdict)), qPrintable(checked->result.text()));

    // The report's line: name, the connection used, the verdict, in columns.
    const auto line = std::find_if(m_lines.cbegin(), m_lines.cend(),
                                   [&](const QString& l) { return l.startsWith(name + u' '); });
    QVERIFY(line != m_lines.cend());
    const QStringList columns = line->split(QRegularExpression(QStringLiteral("\\s{3,}")));
    QCOMPARE(columns.value(0), name);
    QCOMPARE(columns.value(connection.isEmpty() ? -1 : 1), expand(connection));
    QVERIFY(line->endsWith(u' ' + checked->result.text()));
}

void TestDeviceCheck::overallResult_data() {
    QTest::addColumn<QStringList>("sections");
    QTest::addColumn<bool>("allOk");
    QTest::newRow("every entry ok") << QStringList{"Virtual", "EscPos", "DrawerOnEscPos"} << true;
    QTest::newRow("one entry fails") << QStringList{"Virtual", "Missing"} << false;
    QTest::newRow("a drawer fails with its printer") << QStringList{"Virtual", "DrawerOnNothing"} << false;
    QTest::newRow("no entries") << QStringList{} << false;
}

void TestDeviceCheck::overallResult() {
    QFETCH(QStringList, sections);
    QFETCH(bool, allOk);
    // A device nobody names that fails (a dangling by-id link) must not change the outcome.
    const QString found = m_dir.filePath(QStringLiteral("found"));
    QVERIFY(QDir().mkpath(found));
    QFile::link(m_dir.filePath(QStringLiteral("gone")), found + QStringLiteral("/usb-gone"));
    QCOMPARE(runCheck(sections, {m_dir.filePath("none"), found, m_dir.filePath("none")}), allOk);
}

// Random bytes hold a status-like byte now and then; they are never taken for a printer.
void TestDeviceCheck::randomBytesAreNoPrinter() {
    for (int run = 0; run < 4; ++run) {
        QVERIFY(!runCheck({QStringLiteral("RandomPeer"), QStringLiteral("RandomFile")},
                          {m_dir.filePath("none"), m_dir.filePath("none"), m_dir.filePath("none")}));
        for (const CheckedDevice& device : std::as_const(m_entries))
            QVERIFY2(!device.result.ok(), qPrintable(device.name + u' ' + device.result.text()));
    }
}

void TestDeviceCheck::discovery_data() {
    QTest::addColumn<QStringList>("files"); // "link -> target" makes a symbolic link
    QTest::addColumn<QStringList>("known");
    QTest::addColumn<QStringList>("found"); // name=connection

    const QString link = QStringLiteral("by-id/usb-Maker_Serial-if00 -> ../dev/ttyUSB0");
    QTest::newRow("USB printers") << QStringList{"usb/lp0", "usb/lp1"} << QStringList{}
                                  << QStringList{"lp0=file:%DIR%/usb/lp0", "lp1=file:%DIR%/usb/lp1"};
    QTest::newRow("named by an entry")
        << QStringList{"usb/lp0", "usb/lp1"} << QStringList{"file:%DIR%/usb/lp1"}
        << QStringList{"lp0=file:%DIR%/usb/lp0"};
    QTest::newRow("serial ports") << QStringList{"dev/ttyUSB0", "dev/ttyACM0"} << QStringList{}
                                  << QStringList{"ttyACM0=serial:%DIR%/dev/ttyACM0",
                                                 "ttyUSB0=serial:%DIR%/dev/ttyUSB0"};
    QTest::newRow("by-id link stands for its port")
        << QStringList{"dev/ttyUSB0", link} << QStringList{}
        << QStringList{"ttyUSB0=serial:%DIR%/by-id/usb-Maker_Serial-if00"};
    QTest::newRow("entry naming the port hides its link")
        << QStringList{"dev/ttyUSB0", link} << QStringList{"serial:%DIR%/dev/ttyUSB0?baud=19200"}
        << QStringList{};
    QTest::newRow("entry naming the link hides the port")
        << QStringList{"dev/ttyUSB0", link} << QStringList{"serial:%DIR%/by-id/usb-Maker_Serial-if00"}
        << QStringList{};
    QTest::newRow("other device files")
        << QStringList{"dev/ttyS0", "dev/lp0", "dev/null", "usb/hiddev0"} << QStringList{} << QStringList{};
}

void TestDeviceCheck::discovery() {
    QFETCH(QStringList, files);
    QFETCH(QStringList, known);
    QFETCH(QStringList, found);
    QTemporaryDir dir;
    for (const char* folder : {"usb", "by-id", "dev"})
        QVERIFY(QDir(dir.path()).mkpath(folder));
    for (const QString& file : files) {
        const QStringList link = file.split(QStringLiteral(" -> "));
        QVERIFY(link.size() == 2 ? QFile::link(link[1], dir.filePath(link[0]))
                                 : writeText(dir.filePath(file), {}));
    }
    QStringList named;
    for (const QString& connection : known)
        named.append(QString(connection).replace(QStringLiteral("%DIR%"), dir.path()));
    QStringList got;
    for (const FoundDevice& device :
         discoverDevices({dir.filePath("usb"), dir.filePath("by-id"), dir.filePath("dev")}, named))
        got.append(device.name + u'=' +
                   QString(device.connection).replace(dir.path(), QStringLiteral("%DIR%")));
    QCOMPARE(got, found);
}

void TestDeviceCheck::foundDeviceGetsARegistryEntry() {
    const QString usb = m_dir.filePath(QStringLiteral("usb"));
    QVERIFY(QDir().mkpath(usb) && writeText(usb + QStringLiteral("/lp0"), {}));
    QStringList lines;
    QVERIFY(runCheck({"Virtual"}, {usb, m_dir.filePath("none"), m_dir.filePath("none")}, &lines));

    const qsizetype at = lines.indexOf(QRegularExpression(QStringLiteral("lp0 .*")));
    QVERIFY2(at > 0, qPrintable(lines.join(u'\n')));
    QVERIFY(lines[at].endsWith(QStringLiteral("ok: opens; a plain file cannot answer status requests")));
    // What follows the line is an entry to copy as it stands.
    const QString entry = lines.mid(at + 1, 3).join(u'\n');
    QVERIFY(writeText(m_dir.filePath(QStringLiteral("copied.ini")), entry));
    const Resolution<PrinterConfig> copied =
        resolvePrinter(DeviceRegistry::fromFile(m_dir.filePath(QStringLiteral("copied.ini"))), "lp0");
    QVERIFY2(copied.config, qPrintable(entry + u'\n' + copied.reason));
    QCOMPARE(copied.config->connection, QStringLiteral("file:") + usb + QStringLiteral("/lp0"));
}

QTEST_GUILESS_MAIN(TestDeviceCheck)
#include "tst_devicecheck.moc"
