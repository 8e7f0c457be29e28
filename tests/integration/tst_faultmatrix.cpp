#include "common/paperlines.h"
#include "common/reportpaper.h"
#include "device/control/posprintercontrol.h"
#include "device/installcontrols.h"
#include "opos/oposconstants.h"
#include "opos/resulttexts.h"
#include "printer/propertyreport.h"
#include "support/printerprocess.h"
#include "support/ptyprinter.h"
#include "support/scriptedprinter.h"
#include "virtual/tcpprinterserver.h"
#include "virtual/virtualprinter.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace opos;

namespace {

constexpr int kReplyTimeoutMs = 1000;
constexpr int kFaultAfterMs = 300; // into a job, at a real printer's speed
constexpr int kStallMs = 2500;

enum class Fault { Refused, Killed, Silent, Garbage, Drip, Stall, PaperOut, CoverOpen };
enum class When { Claim, Enable, SyncPrint, AsyncReport };

std::unique_ptr<virt::VirtualPrinter> realSpeedPrinter() {
    auto printer = std::make_unique<virt::VirtualPrinter>(QStringLiteral("Z901"),
                                                          virt::VirtualProfile::defaultProfile());
    printer->setDotLinesPerSecond(virt::VirtualPrinter::kRealisticDotLinesPerSecond);
    return printer;
}

// The far end of one link, which a row breaks and mends. Paper is what it printed since the last
// mark, as text lines.
class FarEnd {
public:
    virtual ~FarEnd() = default;
    virtual QString connection() const = 0;
    virtual void breakLink(Fault fault) = 0;
    virtual void mend(Fault fault) = 0;
    virtual QStringList paper() const = 0;
    // The paper of a killed process is gone with it; only what came after can be read.
    virtual bool paperSurvives() const { return true; }
};

// The virtual printer's mechanism in this process, for the faults of its sensors.
class InProcessEnd : public FarEnd {
public:
    QStringList paper() const override { return paperLines(*m_printer); }
    void breakLink(Fault fault) override { sense(fault, true); }
    void mend(Fault fault) override { sense(fault, false); }

protected:
    void sense(Fault fault, bool on) {
        if (fault == Fault::PaperOut)
            m_printer->setPaper(on ? virt::PaperLevel::Out : virt::PaperLevel::Ok);
        else if (fault == Fault::CoverOpen)
            m_printer->setCoverOpen(on);
    }
    std::unique_ptr<virt::VirtualPrinter> m_printer = realSpeedPrinter();
};

// posling-virtual-printer on a loopback port: killed, and started again on the same port. Its
// paper is its capture of what it received since it started, printed again here.
class ProcessEnd : public FarEnd {
public:
    explicit ProcessEnd(const QString& folder) : m_capture(folder), m_process(folder) {
        m_process.start(0, {QStringLiteral("--real-speed")});
        m_port = m_process.port();
    }
    QString connection() const override { return QStringLiteral("tcp://127.0.0.1:%1").arg(m_port); }
    void breakLink(Fault) override { m_process.kill(); }
    void mend(Fault) override {
        QDir(m_capture).removeRecursively();
        QVERIFY(m_process.start(m_port));
    }
    bool paperSurvives() const override { return false; }
    QStringList paper() const override {
        auto printer = std::make_unique<virt::VirtualPrinter>(QStringLiteral("replay"),
                                                              virt::VirtualProfile::defaultProfile());
        virt::EscPosSession* session = printer->attach([](const QByteArray&) {});
        QByteArray wire = m_process.wire();
        while (!wire.isEmpty()) {
            wire.remove(0, printer->receive(session, wire));
            (void)QTest::qWaitFor([&] { return !printer->isPrinting(); }, 10000);
        }
        return paperLines(*printer);
    }

private:
    QString m_capture;
    PrinterProcess m_process;
    quint16 m_port = 0; // the same after a restart
};

// The virtual printer's own TCP server in this process, as posling-virtual-printer runs it.
class TcpServerEnd : public InProcessEnd {
public:
    TcpServerEnd() : m_server(m_printer.get()) { m_server.listen(QHostAddress::LocalHost, 0, nullptr); }
    QString connection() const override { return QStringLiteral("tcp://127.0.0.1:%1").arg(m_server.port()); }

private:
    virt::TcpPrinterServer m_server;
};

// A USB serial adapter: unplugged and plugged in again, or busy taking nothing for a while.
class PtyEnd : public InProcessEnd {
public:
    PtyEnd() : m_pty(m_printer.get()) {}
    QString connection() const override {
        return QStringLiteral("serial:%1?baud=19200&flow=rtscts").arg(m_pty.linkPath());
    }
    void breakLink(Fault fault) override {
        if (fault == Fault::Stall)
            m_pty.stopReadingAfter(0);
        else if (fault == Fault::Killed || fault == Fault::Refused)
            m_pty.hangUp();
        else
            sense(fault, true);
    }
    void mend(Fault fault) override {
        if (fault == Fault::Stall)
            m_pty.continueReading();
        else if (fault == Fault::Killed || fault == Fault::Refused)
            m_pty.reopen();
        else
            sense(fault, false);
    }

private:
    PtyPrinter m_pty;
};

// A network printer that misbehaves on cue.
class ScriptedEnd : public InProcessEnd {
public:
    ScriptedEnd() : m_fake(m_printer.get()) { m_fake.listen(); }
    QString connection() const override { return QStringLiteral("tcp://127.0.0.1:%1").arg(m_fake.port()); }
    void breakLink(Fault fault) override {
        using B = ScriptedPrinter::Behaviour;
        m_fake.setBehaviour(fault == Fault::Silent    ? B::Silent
                            : fault == Fault::Garbage ? B::Garbage
                            : fault == Fault::Drip    ? B::Drip
                                                      : B::Stalled);
    }
    void mend(Fault) override { m_fake.setBehaviour(ScriptedPrinter::Behaviour::Normal); }

private:
    ScriptedPrinter m_fake;
};

QString codeText(qint32 code, qint32 extended) {
    return code == OPOS_E_EXTENDED ? QStringLiteral("OPOS_E_EXTENDED %1").arg(extended)
                                   : resultCodeText(code);
}

// What one row measured.
struct Outcome {
    QString code;               // of the call the fault hit, or of its ErrorEvent
    qint64 ms = -1;             // from the fault to that code
    QStringList events;         // while faulty and through the recovery
    QString problem;            // the reason the status line's hover gives
    QString recovered;          // the first failing code of bringing it back and printing, or success
    bool reportRepeats = false; // the request in flight at a fault printed twice
    qsizetype requests = 0;     // of an asynchronous job, each to complete once
    qsizetype completions = 0;
    QStringList paper; // printed since the row started
};

QString jobText(const QString& tag, int lines) {
    QString text;
    for (int i = 1; i <= lines; ++i)
        text += QStringLiteral("%1 job line %2\n").arg(tag).arg(i);
    return text;
}

// The expected text, or the expected text with one piece of it, at most one request long, printed
// twice where it was cut: a printer that was only unplugged prints the request it had taken, and
// the control, which cannot tell that from a printer that lost power, writes it again.
bool printedOnceOrInFlightTwice(const QString& printed, const QString& expected) {
    const qsizetype extra = printed.size() - expected.size();
    if (extra == 0 || extra < 0 || extra > 200)
        return printed == expected;
    qsizetype at = 0;
    while (at < expected.size() && printed.at(at) == expected.at(at))
        ++at;
    return QString(printed).remove(at, extra) == expected;
}

// What the paper holds, in the words of the table.
QString paperSummary(When when, const FarEnd& end, const Outcome& out) {
    QString held;
    if (when == When::AsyncReport)
        held = !end.paperSurvives() ? QStringLiteral("the report from where the restart found it")
               : out.reportRepeats  ? QStringLiteral("the report, the request in flight twice")
                                    : QStringLiteral("the report once");
    else if (when == When::SyncPrint)
        held = QStringLiteral("%1 of 60 job lines").arg(out.paper.filter(QStringLiteral("job line")).size());
    return held + (held.isEmpty() ? QString() : QStringLiteral(", then ")) +
           (out.paper.count(QStringLiteral("recovered")) == 1 ? QStringLiteral("the next job once")
                                                              : QStringLiteral("the next job wrong"));
}

} // namespace

// Every way a link can break, on each kind of link, end to end: the code the call returns and how
// soon, the events raised, and after the printer is back, the next job prints once and nothing
// of the broken one prints twice. POSLING_FAULT_MATRIX=FILE writes the table as Markdown rows.
class TestFaultMatrix : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void faultIsReportedAndRecovered_data();
    void faultIsReportedAndRecovered();

private:
    std::unique_ptr<FarEnd> makeEnd(const QString& link);
    void useConnection(const QString& connection);
    Outcome run(FarEnd& end, Fault fault, When when, int faultAfterMs, int mendAfterMs);

    QTemporaryDir m_folder;
    QStringList m_table;
};

void TestFaultMatrix::initTestCase() {
    QVERIFY(m_folder.isValid());
    qputenv("XDG_CONFIG_HOME", m_folder.path().toUtf8());
    qunsetenv("POSLING_CAPTURE_DIR");
    installDeviceControls();
}

void TestFaultMatrix::cleanupTestCase() {
    const QString path = qEnvironmentVariable("POSLING_FAULT_MATRIX");
    QFile table(path);
    if (!path.isEmpty() && table.open(QIODevice::WriteOnly | QIODevice::Truncate))
        table.write(m_table.join(u'\n').toUtf8() + '\n');
}

std::unique_ptr<FarEnd> TestFaultMatrix::makeEnd(const QString& link) {
    const QString capture = m_folder.filePath(QString::fromLatin1(QTest::currentDataTag()));
    if (link == QLatin1String("tcp"))
        return std::make_unique<ProcessEnd>(capture);
    if (link == QLatin1String("tcp, in process"))
        return std::make_unique<TcpServerEnd>();
    if (link == QLatin1String("serial pty"))
        return std::make_unique<PtyEnd>();
    return std::make_unique<ScriptedEnd>();
}

void TestFaultMatrix::useConnection(const QString& connection) {
    const QString path = m_folder.filePath(QStringLiteral("devices.ini"));
    QFile ini(path);
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(QStringLiteral("[Z901]\nclass=POSPrinter\nconnection=%1\nprofile=80mm\ntimeout=%2\n"
                             "open_timeout=%2\nretry_interval=50\n")
                  .arg(connection)
                  .arg(kReplyTimeoutMs)
                  .toUtf8());
    qputenv("POSLING_DEVICES", QFile::encodeName(path));
}

Outcome TestFaultMatrix::run(FarEnd& end, Fault fault, When when, int faultAfterMs, int mendAfterMs) {
    Outcome out;
    useConnection(end.connection());
    device::PosPrinterControl p;
    QElapsedTimer sinceFault;
    bool mended = false;
    const auto breakNow = [&] {
        end.breakLink(fault);
        sinceFault.start();
        if (mendAfterMs > 0)
            QTimer::singleShot(mendAfterMs, &p, [&] {
                end.mend(fault);
                mended = true;
            });
    };
    const auto mendNow = [&] {
        if (!mended)
            end.mend(fault);
        mended = true;
    };
    connect(&p, &PosPrinter::StatusUpdateEvent, &p, [&](qint32 data) {
        out.events << QStringLiteral("StatusUpdateEvent %1").arg(statusUpdateText(data));
    });
    connect(&p, &PosPrinter::OutputCompleteEvent, &p, [&](qint32) { ++out.completions; });
    connect(&p, &PosPrinter::ErrorEvent, &p, [&](qint32 code, qint32 extended, qint32, qint32* response) {
        out.events << QStringLiteral("ErrorEvent %1").arg(codeText(code, extended));
        if (out.ms < 0) {
            out.code = codeText(code, extended);
            out.ms = sinceFault.elapsed();
        }
        mendNow(); // the operator puts it right, then answers Retry
        *response = OPOS_ER_RETRY;
    });
    const auto timed = [&](qint32 code) {
        if (out.ms < 0) {
            out.ms = sinceFault.elapsed();
            out.code = codeText(code, p.ResultCodeExtended());
            out.problem = p.ResultReason();
        }
    };

    if (fault == Fault::Refused)
        breakNow();
    p.Open(QStringLiteral("Z901"));
    if (when == When::Claim && fault != Fault::Refused)
        breakNow();
    const qint32 claimed = p.Claim(1000);
    if (when == When::Claim)
        timed(claimed);
    if (when == When::Enable)
        breakNow();
    p.setDeviceEnabled(true);
    if (when == When::Enable)
        timed(p.ResultCode());
    const qsizetype paperStart = end.paper().size();

    const auto breakAfter = [&] {
        if (faultAfterMs > 0)
            QTimer::singleShot(faultAfterMs, &p, breakNow);
        else
            breakNow();
    };
    if (when == When::SyncPrint) {
        breakAfter();
        timed(p.PrintNormal(PTR_S_RECEIPT, jobText(QStringLiteral("sync"), 60)));
    } else if (when == When::AsyncReport) {
        p.setAsyncMode(true);
        // The fault comes while the queued report prints: its health checks print and wait
        // before the rest is queued.
        PropertyReport::run(p, [&](const QString& line) {
            ++out.requests;
            p.PrintNormal(PTR_S_RECEIPT, line + "\r\n");
        });
        breakAfter();
        (void)QTest::qWaitFor([&] { return out.completions >= out.requests; }, 30000);
        p.setAsyncMode(false);
    }
    (void)QTest::qWaitFor([&] { return mended || mendAfterMs <= 0; }, mendAfterMs + 1000);
    mendNow();

    // Brought back: whatever the fault undid is done again, and the next job prints.
    const auto firstFailure = [&p](std::initializer_list<std::function<qint32()>> steps) {
        for (const auto& step : steps)
            if (const qint32 code = step(); code != OPOS_SUCCESS)
                return codeText(code, p.ResultCodeExtended());
        return resultCodeText(OPOS_SUCCESS);
    };
    out.recovered = firstFailure({
        [&] { return p.Claimed() ? OPOS_SUCCESS : p.Claim(1000); },
        [&] {
            if (p.DeviceEnabled())
                return OPOS_SUCCESS;
            p.setDeviceEnabled(true);
            return p.ResultCode();
        },
        [&] { return p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("recovered\n")); },
    });
    QTest::qWait(300); // the events of the recovery reach the application after the call
    p.Close();
    out.paper = end.paper().mid(paperStart);
    return out;
}

void TestFaultMatrix::faultIsReportedAndRecovered_data() {
    QTest::addColumn<QString>("link");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<When>("when");
    QTest::addColumn<int>("faultAfterMs"); // into the job; 0: before it
    QTest::addColumn<int>("mendAfterMs");  // after the fault; 0: once the call has returned
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("events");

    const QString noHardware = resultCodeText(OPOS_E_NOHARDWARE);
    const QString timeout = resultCodeText(OPOS_E_TIMEOUT); // a refused raw port may be busy
    const QStringList none;
    // A sensor fault mended: the event of the fault, then the one of its end.
    const QStringList paperOutAndBack{QStringLiteral("StatusUpdateEvent PTR_SUE_REC_EMPTY"),
                                      QStringLiteral("StatusUpdateEvent PTR_SUE_REC_PAPEROK")};
    const QStringList coverOpenAndShut{QStringLiteral("StatusUpdateEvent PTR_SUE_COVER_OPEN"),
                                       QStringLiteral("StatusUpdateEvent PTR_SUE_COVER_OK")};
    QTest::newRow("tcp: connection refused")
        << "tcp" << Fault::Refused << When::Claim << 0 << 0 << timeout << none;
    QTest::newRow("tcp: killed before claim")
        << "tcp" << Fault::Killed << When::Claim << 0 << 0 << timeout << none;
    QTest::newRow("tcp: killed during a synchronous print")
        << "tcp" << Fault::Killed << When::SyncPrint << kFaultAfterMs << 0 << noHardware << none;
    QTest::newRow("tcp: killed during an asynchronous report")
        << "tcp" << Fault::Killed << When::AsyncReport << kFaultAfterMs << 0 << noHardware
        << QStringList{QStringLiteral("ErrorEvent ") + noHardware};
    QTest::newRow("tcp: paper out mid-job")
        << "tcp, in process" << Fault::PaperOut << When::SyncPrint << kFaultAfterMs << 0
        << QStringLiteral("OPOS_E_EXTENDED 203") << paperOutAndBack;
    QTest::newRow("tcp: cover open mid-job")
        << "tcp, in process" << Fault::CoverOpen << When::SyncPrint << kFaultAfterMs << 0
        << QStringLiteral("OPOS_E_EXTENDED 201") << coverOpenAndShut;
    QTest::newRow("tcp: accepts and never answers, so prints blind")
        << "tcp, scripted" << Fault::Silent << When::Enable << 0 << 0 << QStringLiteral("OPOS_SUCCESS")
        << none;
    QTest::newRow("tcp: answers garbage")
        << "tcp, scripted" << Fault::Garbage << When::Enable << 0 << 0 << noHardware << none;
    QTest::newRow("tcp: one byte a second")
        << "tcp, scripted" << Fault::Drip << When::SyncPrint << 0 << 0 << noHardware << none;
    QTest::newRow("tcp: one stall longer than the time-out")
        << "tcp, scripted" << Fault::Stall << When::SyncPrint << 0 << kStallMs << noHardware << none;
    QTest::newRow("serial: device missing")
        << "serial pty" << Fault::Refused << When::Claim << 0 << 0 << noHardware << none;
    QTest::newRow("serial: unplugged before claim")
        << "serial pty" << Fault::Killed << When::Claim << 0 << 0 << noHardware << none;
    QTest::newRow("serial: unplugged during a synchronous print")
        << "serial pty" << Fault::Killed << When::SyncPrint << kFaultAfterMs << 0 << noHardware << none;
    QTest::newRow("serial: unplugged during an asynchronous report")
        << "serial pty" << Fault::Killed << When::AsyncReport << kFaultAfterMs << 0 << noHardware
        << QStringList{QStringLiteral("ErrorEvent ") + noHardware};
    QTest::newRow("serial: one stall longer than the time-out")
        << "serial pty" << Fault::Stall << When::SyncPrint << 0 << kStallMs << noHardware << none;
    QTest::newRow("serial: paper out mid-job")
        << "serial pty" << Fault::PaperOut << When::SyncPrint << kFaultAfterMs << 0
        << QStringLiteral("OPOS_E_EXTENDED 203") << paperOutAndBack;
    QTest::newRow("serial: cover open mid-job")
        << "serial pty" << Fault::CoverOpen << When::SyncPrint << kFaultAfterMs << 0
        << QStringLiteral("OPOS_E_EXTENDED 201") << coverOpenAndShut;
}

// The code comes within a few time-outs (a printer still taking data gets more), events name only
// what happened (a broken link raises no sensor events), and after recovery the next job prints
// exactly once with nothing of the broken job twice.
void TestFaultMatrix::faultIsReportedAndRecovered() {
    QFETCH(QString, link);
    QFETCH(Fault, fault);
    QFETCH(When, when);
    QFETCH(int, faultAfterMs);
    QFETCH(int, mendAfterMs);
    QFETCH(QString, code);
    QFETCH(QStringList, events);
    const std::unique_ptr<FarEnd> end = makeEnd(link);
    Outcome out = run(*end, fault, when, faultAfterMs, mendAfterMs);
    QString report; // what the paper holds of an asynchronous report, and what it should
    QString expected = goldenReport().replace(QLatin1String("virtual:Z901"), end->connection());
    if (when == When::AsyncReport) {
        QStringList lines = out.paper;
        lines.removeAll(QStringLiteral("recovered"));
        report = reportText(lines);
        out.reportRepeats = report.size() > expected.size();
    }
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    m_table << QStringLiteral("| %1 | %2 | %3 | %4 ms | %5 | %6 | %7 |")
                   .arg(tag.section(u':', 0, 0), tag.section(u':', 1).trimmed(), out.code,
                        QString::number(out.ms),
                        out.events.isEmpty() ? QStringLiteral("none") : out.events.join(QStringLiteral(", ")),
                        out.recovered, paperSummary(when, *end, out));
    qInfo().noquote() << m_table.last();

    QCOMPARE(out.code, code);
    QVERIFY2(out.ms >= 0 && out.ms <= 4 * kReplyTimeoutMs + 1000, qPrintable(QString::number(out.ms)));
    QCOMPARE(out.events, events);
    if (when == When::Claim) // says which connection and why
        QVERIFY2(out.problem.contains(end->connection().section(u'?', 0, 0).section(u':', -1)),
                 qPrintable(out.problem));
    QCOMPARE(out.completions, out.requests);
    QCOMPARE(out.recovered, resultCodeText(OPOS_SUCCESS));
    QCOMPARE(out.paper.count(QStringLiteral("recovered")), 1);
    QStringList job = out.paper.filter(QStringLiteral("job line"));
    job.removeDuplicates();
    QCOMPARE(job.size(), out.paper.filter(QStringLiteral("job line")).size());
    if (when == When::AsyncReport) { // all of it, or what came after a restart
        const qsizetype from = end->paperSurvives() ? 0 : qMax<qsizetype>(0, expected.size() - report.size());
        qsizetype at = 0;
        while (at < report.size() && from + at < expected.size() && report.at(at) == expected.at(from + at))
            ++at;
        QVERIFY2(end->paperSurvives() ? printedOnceOrInFlightTwice(report, expected)
                                      : expected.endsWith(report),
                 qPrintable(QStringLiteral("paper \"%1\" against report \"%2\"")
                                .arg(report.mid(at - 60, 120), expected.mid(from + at - 60, 120))));
    }
}

QTEST_MAIN(TestFaultMatrix)
#include "tst_faultmatrix.moc"
