#include "device/check/connectionprobe.h"

#include "device/check/devicediscovery.h"
#include "device/check/deviceholders.h"
#include "device/control/controllink.h"
#include "device/control/outputqueue.h"
#include "device/link/printerlink.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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
    explicit Probe(const PrinterConfig& printer) : m_printer(printer) {}
    CheckResult run();

private:
    std::optional<CheckResult> refusedBeforeOpening();
    std::optional<CheckResult> openLink(const QString& scheme);
    CheckResult learn();
    bool answersTheSameTwice();
    CheckResult busy() const;

    PrinterConfig m_printer;
    QString m_path; // the device file of file: and serial: connections
    bool m_serial = false;
    bool m_writeOnly = false;
    bool m_plainFile = false;
    std::shared_ptr<PrinterLink> m_link;
};

CheckResult Probe::run() {
    const QString scheme = schemeOf(m_printer.connection);
    m_path = devicePathOf(m_printer.connection);
    m_serial = scheme == QLatin1String("serial");
    if (!m_path.isEmpty())
        if (auto refused = refusedBeforeOpening())
            return *refused;
    QString error;
    m_link = PrinterLink::obtain(m_printer, &error);
    if (!m_link)
        return {Verdict::BadEntry, error};
    const auto detach = qScopeGuard([this] { m_link->detach(this); });
    if (auto failed = openLink(scheme))
        return *failed;
    if (m_plainFile)
        return {Verdict::Ok, QStringLiteral("opens; a plain file cannot answer status requests")};
    if (m_writeOnly)
        return {Verdict::Ok,
                QStringLiteral("opens for writing only, so it cannot be asked for its status or name")};
    if (m_printer.statusLevel == StatusLevel::None)
        return {Verdict::Ok,
                QStringLiteral("opens; its entry says it answers nothing (status=none), so Posling "
                               "prints blind, without paper, cover or drawer sensors")};
    return learn();
}
namespace {

// A terminal device; one that cannot be opened is let be, for the check of rights to say why.
bool isSerialPort(const QByteArray& path) {
    const int descriptor = ::open(path.constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return true;
    const bool terminal = ::isatty(descriptor);
    ::close(descriptor);
    return terminal;
}

} // namespace

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
    if (S_ISDIR(info.st_mode))
        return CheckResult{Verdict::BadEntry,
                           QStringLiteral("%1 is a folder, not a printer's device").arg(m_path)};
    if (m_serial && !isSerialPort(path))
        return CheckResult{Verdict::BadEntry,
                           QStringLiteral("%1 is no serial port: use file: for a device file").arg(m_path)};
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
    const std::optional<OpenAnswer> opened = attachAndWait(*m_link, this);
    const int timeoutMs = m_printer.timings.openTimeoutMs;
    if (!opened)
        return CheckResult{Verdict::NoAnswer,
                           QStringLiteral("the connection did not open (is the printer on and reachable?)"),
                           timeoutMs};
    switch (opened->status) {
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
    return CheckResult{Verdict::NotFound, opened->reason};
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

// A printer asked twice for its status gives the same answer; a device that sends bytes at random
// passes for a printer once in a while, not twice the same way.
bool Probe::answersTheSameTwice() {
    std::optional<ExchangeOutcome> first = exchangeAndWait(*m_link, readyCheckBytes(), readyCheckQueries());
    std::optional<ExchangeOutcome> second = exchangeAndWait(*m_link, readyCheckBytes(), readyCheckQueries());
    const auto answered = [](const std::optional<ExchangeOutcome>& o) {
        return o && o->result == ExchangeOutcome::Result::Answered;
    };
    return answered(first) && answered(second) && first->replies == second->replies;
}

CheckResult Probe::learn() {
    const int timeoutMs = m_printer.timings.replyTimeoutMs;
    switch (learnAndWait(*m_link)) {
    case ExchangeOutcome::Result::Answered:
        break;
    case ExchangeOutcome::Result::Garbled:
        return {Verdict::NotEscPos,
                QStringLiteral("DLE EOT 1 was answered with %1, which is no status byte%2")
                    .arg(hexBytes(m_link->heardNoise()),
                         m_serial ? QStringLiteral(" (another baud rate?)") : QString())};
    default:
        return {Verdict::NoAnswer,
                QStringLiteral("the link closed while the printer was asked for its status")};
    }
    const PrinterAnswers& answers = *m_link->answers();
    if (answers.realTime && !answersTheSameTwice())
        return {Verdict::NotEscPos,
                QStringLiteral("its replies to the same status requests differ: some other "
                               "device, or a line at another speed")};
    if (answers.level() == StatusLevel::None) {
        if (!m_link->showsPresence())
            return {Verdict::NoAnswer,
                    QStringLiteral(
                        "DLE EOT 1 got no reply (switched off, other port settings, or not ESC/POS); a "
                        "printer here that answers nothing needs status=none in its entry"),
                    timeoutMs};
        return {Verdict::Ok, answers.advice()};
    }
    const QString identity = answers.identity.text();
    QString detail = identity.isEmpty() ? QStringLiteral("answers status requests but gives no model name")
                                        : QStringLiteral("answers as %1").arg(identity);
    detail += QStringLiteral("; answers %1").arg(answers.summary());
    if (const QString advice = answers.advice(); !advice.isEmpty())
        detail += QStringLiteral(". ") + advice;
    if (m_link->status().offline)
        detail += QStringLiteral(" It says it is off line.");
    return {Verdict::Ok, detail};
}

} // namespace

CheckResult probeConnection(const PrinterConfig& printer) {
    return Probe(printer).run();
}

} // namespace device
