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
      m_quitAfterStart(QStringLiteral("quit-after-start"),
                       QStringLiteral("Quits once the main window is drawn, to time the start.")) {
    m_quitAfterStart.setFlags(QCommandLineOption::HiddenFromHelp);
    m_parser.setApplicationDescription(QStringLiteral("Tests POS receipt printers and their cash drawers."));
    m_parser.addHelpOption();
    m_parser.addVersionOption();
    m_parser.addOption(m_devices);
    m_parser.addOption(m_checkDevices);
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

bool CommandLine::asksForDeviceCheck(const QStringList& arguments) {
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QStringLiteral("--"))
            return false;
        if (argument == QStringLiteral("--check-devices"))
            return true;
    }
    return false;
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
