#include "commandline.h"

#include "opos/version.h"

#include <QCoreApplication>
#include <QFile>

CommandLine::CommandLine()
    : m_devices(QStringLiteral("devices"),
                QStringLiteral("Reads the logical device names (\"Z901\", \"Z901-1\") from <file>."),
                QStringLiteral("file")),
      m_checkDevices(
          QStringLiteral("check-devices"),
          QStringLiteral("Checks every device of the registry and looks for printers it does not name, "
                         "then exits: 0 when every entry is ok, 1 otherwise. Needs no display.")),
      m_run(QStringLiteral("run"),
            QStringLiteral("Runs the checks of plan <file> without a window and prints the status lines; "
                           "exits 0 when every expectation holds, 1 when one fails, 2 for an error in the "
                           "plan. Needs no display unless the plan shows the virtual printer."),
            QStringLiteral("file")),
      m_junit(QStringLiteral("junit"),
              QStringLiteral("With --run: writes the outcome as JUnit XML to <file>."),
              QStringLiteral("file")),
      m_quitAfterStart(QStringLiteral("quit-after-start"),
                       QStringLiteral("Quits once the main window is drawn, to time the start.")) {
    m_quitAfterStart.setFlags(QCommandLineOption::HiddenFromHelp);
    m_parser.setApplicationDescription(QStringLiteral("Tests POS receipt printers and their cash drawers."));
    m_parser.addHelpOption();
    m_parser.addVersionOption();
    m_parser.addOption(m_devices);
    m_parser.addOption(m_checkDevices);
    m_parser.addOption(m_run);
    m_parser.addOption(m_junit);
    m_parser.addOption(m_quitAfterStart);
}

bool CommandLine::asksForInformationOnly(const QStringList& arguments) {
    static const QStringList informationOptions{QStringLiteral("-h"), QStringLiteral("--help"),
                                                QStringLiteral("-?"), QStringLiteral("--help-all"),
                                                QStringLiteral("-v"), QStringLiteral("--version")};
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QStringLiteral("--"))
            return false;
        if (informationOptions.contains(argument))
            return true;
    }
    return false;
}

namespace {

// True when one of `options` (long form, with its value apart or after '=') comes before "--".
bool namesOption(const QStringList& arguments, const QStringList& options) {
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QStringLiteral("--"))
            return false;
        for (const QString& option : options)
            if (argument == option || argument.startsWith(option + u'='))
                return true;
    }
    return false;
}

} // namespace

bool CommandLine::asksForDeviceCheck(const QStringList& arguments) {
    return namesOption(arguments, {QStringLiteral("--check-devices")});
}

bool CommandLine::asksForPlanRun(const QStringList& arguments) {
    return namesOption(arguments, {QStringLiteral("--run"), QStringLiteral("--junit")});
}

QString CommandLine::parseForPlanRun(const QStringList& arguments) {
    if (!m_parser.parse(arguments))
        return m_parser.errorText() + QStringLiteral(" See posling --help.");
    if (!m_parser.isSet(m_run))
        return QStringLiteral("--junit belongs to --run PLAN. See posling --help.");
    if (m_parser.isSet(m_checkDevices))
        return QStringLiteral("--run and --check-devices do not go together. See posling --help.");
    if (!m_parser.positionalArguments().isEmpty())
        return QStringLiteral("--run takes no further arguments: %1. See posling --help.")
            .arg(m_parser.positionalArguments().join(u' '));
    return {};
}

QString CommandLine::parseForDeviceCheck(const QStringList& arguments) {
    if (!m_parser.parse(arguments))
        return m_parser.errorText() + QStringLiteral(" See posling --help.");
    if (!m_parser.positionalArguments().isEmpty())
        return QStringLiteral("--check-devices takes no further arguments: %1. See posling --help.")
            .arg(m_parser.positionalArguments().join(u' '));
    return {};
}

QString CommandLine::missingDisplayMessage(const QStringList& arguments,
                                           const QProcessEnvironment& environment) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!environment.value(QString::fromLatin1(name)).isEmpty())
            return {};
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QStringLiteral("--"))
            break;
        if (argument == QStringLiteral("-platform") || argument.startsWith(QStringLiteral("-platform=")) ||
            argument == QStringLiteral("-display"))
            return {};
    }
    return QStringLiteral("Posling needs a graphical display and none is set (DISPLAY is empty); start it "
                          "from a desktop session, or without one as: xvfb-run -a posling");
#else
    Q_UNUSED(arguments);
    Q_UNUSED(environment);
    return {};
#endif
}

void CommandLine::apply() const {
    if (m_parser.isSet(m_devices))
        qputenv("POSLING_DEVICES", QFile::encodeName(m_parser.value(m_devices)));
}

void setApplicationIdentity() {
    QCoreApplication::setApplicationName(QString::fromLatin1(opos::ProgramName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(opos::ProgramVersion));
}
