#include "device/check/connectionprobe.h"

#include "device/check/devicediscovery.h"
#include "device/check/deviceholders.h"
#include "device/control/syncwait.h"
#include "device/link/printerstatus.h"
#include "device/transport/transportfactory.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace device {

namespace {

using Verdict = CheckResult::Verdict;

QString schemeOf(const QString& connection) {
    const qsizetype colon = connection.indexOf(u':');
    return colon > 0 ? connection.left(colon).trimmed().toLower() : QString();
}

QString hexBytes(const QByteArray& bytes) {
    constexpr qsizetype shown = 8;
    const QString text = QString::fromLatin1(bytes.left(shown).toHex(' ').toUpper());
    return bytes.size() > shown ? text + QStringLiteral(" ...") : text;
}

// XON and XOFF come from serial printers at any time and answer nothing.
QByteArray withoutFlowControl(QByteArray bytes) {
    bytes.removeIf([](char c) { return c == 0x11 || c == 0x13; });
    return bytes;
}

std::optional<quint8> realTimeReply(const QByteArray& bytes) {
    StatusParser parser;
    for (const StatusMessage& message : parser.feed(bytes))
        if (message.kind == StatusMessage::Kind::RealTime)
            return static_cast<quint8>(message.bytes.at(0));
    return std::nullopt;
}

// The text of a GS I reply (5Fh, text, 00h); nothing until its end has arrived.
std::optional<QString> informationText(const QByteArray& bytes) {
    const qsizetype start = bytes.indexOf('\x5F');
    const qsizetype end = start < 0 ? -1 : bytes.indexOf('\0', start + 1);
    if (end < 0)
        return std::nullopt;
    return QString::fromLatin1(bytes.mid(start + 1, end - start - 1)).trimmed();
}

// How this user gets at the device: the group distributions give these devices, or a rule that
// hands them to whoever is logged in at the seat.
QString permissionFix(const QString& path, bool serial) {
    const QString name = QFileInfo(QFileInfo(path).canonicalFilePath()).fileName();
    static const QRegularExpression usbPrinter(QStringLiteral("^lp[0-9]+$"));
    const QString rule =
        QStringLiteral(" then log in again; or a udev rule in /etc/udev/rules.d/70-posling.rules: ");
    if (usbPrinter.match(name).hasMatch())
        return QStringLiteral("fix: sudo usermod -aG lp $USER,") + rule +
               QStringLiteral("SUBSYSTEM==\"usbmisc\", KERNEL==\"lp[0-9]*\", TAG+=\"uaccess\"");
    if (serial || name.startsWith(QLatin1String("tty")))
        return QStringLiteral("fix: sudo usermod -aG dialout $USER,") + rule +
               QStringLiteral("SUBSYSTEM==\"tty\", KERNEL==\"ttyUSB[0-9]*|ttyACM[0-9]*\", TAG+=\"uaccess\"");
    return QStringLiteral("fix: give your user read and write access (ls -l %1 shows owner, group and mode)")
        .arg(path);
}

class Probe {
public:
    explicit Probe(const ProbeTarget& target) : m_target(target) {}
    CheckResult run();

private:
    std::optional<CheckResult> refusedBeforeOpening();
    std::optional<CheckResult> openLink(const QString& scheme);
    CheckResult askStatus();
    QString askInformation(char n);
    // Sends a request and waits for answered(), the link's loss or the reply time-out.
    void exchange(const QByteArray& request, const std::function<bool()>& answered);
    CheckResult busy() const;

    ProbeTarget m_target;
    QString m_path; // the device file of file: and serial: connections
    bool m_serial = false;
    bool m_writeOnly = false;
    bool m_plainFile = false;
    std::unique_ptr<Transport> m_transport;
    std::optional<std::pair<Transport::OpenStatus, QString>> m_opened;
    QByteArray m_received;
    std::optional<QString> m_lost;
};

CheckResult Probe::run() {
    const QString scheme = schemeOf(m_target.connection);
    m_path = devicePathOf(m_target.connection);
    m_serial = scheme == QLatin1String("serial");
    if (!m_path.isEmpty())
        if (auto refused = refusedBeforeOpening())
            return *refused;
    QString error;
    m_transport = TransportFactory::create(m_target.connection, m_target.options, &error);
    if (!m_transport)
        return {Verdict::BadEntry, error};
    Transport* link = m_transport.get();
    QObject::connect(
        link, &Transport::openFinished, link,
        [this](Transport::OpenStatus status, const QString& reason) { m_opened.emplace(status, reason); });
    QObject::connect(link, &Transport::dataReceived, link,
                     [this](const QByteArray& bytes) { m_received += bytes; });
    QObject::connect(link, &Transport::linkLost, link, [this](const QString& reason) { m_lost = reason; });
    if (auto failed = openLink(scheme))
        return *failed;
    if (m_plainFile)
        return {Verdict::Ok, QStringLiteral("opens; a plain file cannot answer status requests")};
    if (m_writeOnly)
        return {Verdict::Ok,
                QStringLiteral("opens for writing only, so it cannot be asked for its status or name")};
    return askStatus();
}

// Missing devices and missing rights are told apart here: the transports only say "failed".
std::optional<CheckResult> Probe::refusedBeforeOpening() {
    const QByteArray path = QFile::encodeName(m_path);
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        const int error = errno;
        if (error == EACCES)
            return CheckResult{Verdict::PermissionDenied,
                               QStringLiteral("you may not look into the folder of %1; %2")
                                   .arg(m_path, permissionFix(m_path, m_serial))};
        if (error != ENOENT && error != ENOTDIR)
            return CheckResult{Verdict::NotFound, QStringLiteral("%1: %2").arg(
                                                      m_path, QString::fromLocal8Bit(std::strerror(error)))};
        return CheckResult{
            Verdict::NotFound,
            QStringLiteral("%1 does not exist (is the printer plugged in and switched on?)").arg(m_path)};
    }
    const bool mayRead = ::access(path.constData(), R_OK) == 0;
    const bool mayWrite = ::access(path.constData(), W_OK) == 0;
    // A serial port is always read and written; a device file may be write-only.
    if (!mayWrite || (m_serial && !mayRead))
        return CheckResult{
            Verdict::PermissionDenied,
            QStringLiteral("you may not read and write %1; %2").arg(m_path, permissionFix(m_path, m_serial))};
    m_writeOnly = !mayRead;
    m_plainFile = S_ISREG(info.st_mode);
    return std::nullopt;
}

std::optional<CheckResult> Probe::openLink(const QString& scheme) {
    m_transport->open();
    const int timeoutMs = m_target.timings.openTimeoutMs;
    if (!waitUntil([this] { return m_opened.has_value(); }, timeoutMs))
        return CheckResult{Verdict::NoAnswer,
                           QStringLiteral("the connection did not open (is the printer on and reachable?)"),
                           timeoutMs};
    const auto& [status, reason] = *m_opened;
    switch (status) {
    case Transport::OpenStatus::Opened:
        return std::nullopt;
    case Transport::OpenStatus::Busy:
        // The network transport reports a refused connection as busy, since a raw port serves one
        // client at a time; but mostly nothing listens there at all.
        if (scheme == QLatin1String("tcp"))
            return CheckResult{
                Verdict::NotFound,
                QStringLiteral("connection refused (nothing listens on that port, or the printer "
                               "serves one client and another one has it)")};
        return busy();
    case Transport::OpenStatus::Failed:
        break;
    }
    return CheckResult{Verdict::NotFound, reason};
}

CheckResult Probe::busy() const {
    const QStringList holders = m_path.isEmpty() ? QStringList() : processesHolding(m_path);
    if (!holders.isEmpty())
        return {Verdict::Busy, QStringLiteral("held by %1").arg(holders.join(QStringLiteral(", ")))};
    if (m_path.isEmpty())
        return {Verdict::Busy, QStringLiteral("another program holds it")};
    return {Verdict::Busy,
            QStringLiteral("a program of another user holds it (sudo fuser -v %1 names it)").arg(m_path)};
}

void Probe::exchange(const QByteArray& request, const std::function<bool()>& answered) {
    m_received.clear();
    m_transport->write(request);
    waitUntil([&] { return m_lost || answered(); }, m_target.timings.replyTimeoutMs);
}

CheckResult Probe::askStatus() {
    const int timeoutMs = m_target.timings.replyTimeoutMs;
    exchange(QByteArrayLiteral("\x10\x04\x01"), [this] { return realTimeReply(m_received).has_value(); });
    const std::optional<quint8> reply = realTimeReply(m_received);
    if (!reply) {
        const QByteArray heard = withoutFlowControl(m_received);
        if (!heard.isEmpty())
            return {
                Verdict::NotEscPos,
                QStringLiteral("DLE EOT 1 was answered with %1, which is no status byte%2")
                    .arg(hexBytes(heard), m_serial ? QStringLiteral(" (another baud rate?)") : QString())};
        if (m_lost)
            return {Verdict::NoAnswer,
                    QStringLiteral("the link closed before DLE EOT 1 was answered (%1)").arg(*m_lost)};
        return {Verdict::NoAnswer,
                QStringLiteral("DLE EOT 1 got no reply (switched off, other port settings, or not ESC/POS)"),
                timeoutMs};
    }
    PrinterStatus status;
    applyRealTime(status, 1, *reply);
    const QString offline = status.offline ? QStringLiteral(", but says it is off line") : QString();

    // A printer that does not know GS I 67 is not asked for its maker either.
    const QString model = askInformation(67);
    if (model.isEmpty())
        return {Verdict::Ok, QStringLiteral("answers status requests but gives no model name") + offline};
    const QString maker = askInformation(66);
    QString detail = QStringLiteral("answers as \"%1\"").arg(model);
    if (!maker.isEmpty())
        detail += QStringLiteral(" (maker \"%1\")").arg(maker);
    return {Verdict::Ok, detail + offline};
}

QString Probe::askInformation(char n) {
    exchange(QByteArrayLiteral("\x1D\x49") + n, [this] { return informationText(m_received).has_value(); });
    return informationText(m_received).value_or(QString());
}

} // namespace

CheckResult probeConnection(const ProbeTarget& target) {
    return Probe(target).run();
}

} // namespace device
