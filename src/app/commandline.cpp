#include "commandline.h"

#include "opos/version.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

CommandLine::CommandLine()
    : m_devices(QStringLiteral("devices"),
                QStringLiteral("Reads the logical device names (\"Z901\", \"Z901-1\") from <file>. With "
                               "--run it may be given more than once, and <file>[NAME,...] runs the plan on "
                               "each printer section NAME of the file."),
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
      m_strict(QStringLiteral("strict"),
               QStringLiteral("With --run: a step whose result no expect checks fails unless it is "
                              "OPOS_SUCCESS, and a plan that checks nothing fails.")),
      m_operator(QStringLiteral("operator"),
                 QStringLiteral("With --run: a person answers the plan's questions (ask) and watches the "
                                "virtual printer (show), even when standard input is no terminal.")),
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
    m_parser.addOption(m_strict);
    m_parser.addOption(m_operator);
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
    return namesOption(arguments, {QStringLiteral("--run"), QStringLiteral("--junit"),
                                   QStringLiteral("--strict"), QStringLiteral("--operator")});
}

QString CommandLine::parseForPlanRun(const QStringList& arguments) {
    if (!m_parser.parse(arguments))
        return m_parser.errorText() + QStringLiteral(" See posling --help.");
    if (!m_parser.isSet(m_run)) {
        const QString given = m_parser.isSet(m_junit)    ? QStringLiteral("--junit")
                              : m_parser.isSet(m_strict) ? QStringLiteral("--strict")
                                                         : QStringLiteral("--operator");
        return QStringLiteral("%1 belongs to --run PLAN. See posling --help.").arg(given);
    }
    if (m_parser.values(m_run).size() > 1)
        return QStringLiteral(
            "--run takes one plan; run the others one after the other. See posling --help.");
    for (const QString& value : m_parser.values(m_devices)) {
        const DevicesChoice choice = readDevicesChoice(value);
        if (value.endsWith(u']') && choice.printers.isEmpty())
            return QStringLiteral("--devices %1: name the printer sections in the brackets, such as "
                                  "shop.ini[Till-1,Till-2]. See posling --help.")
                .arg(value);
    }
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

namespace {

// What QApplication takes from the command line for itself, so the windows' own parse never sees it.
QStringList withoutToolkitOptions(const QStringList& arguments) {
    static const QStringList withValue{"platform",        "platformpluginpath", "platformtheme", "plugin",
                                       "qwindowgeometry", "qwindowtitle",       "qwindowicon",   "display",
                                       "style",           "stylesheet",         "session",       "name",
                                       "title",           "geometry",           "visual",        "ncols",
                                       "qmljsdebugger"};
    static const QStringList alone{"reverse", "widgetcount", "nograb", "dograb", "sync", "cmap"};
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (i == 0 || argument == u"--" || !argument.startsWith(u'-')) {
            if (argument == u"--")
                return kept + arguments.mid(i);
            kept << argument;
            continue;
        }
        const QString name = argument.mid(argument.startsWith(u"--") ? 2 : 1).section(u'=', 0, 0);
        if (withValue.contains(name) && !argument.contains(u'='))
            ++i; // and its value
        else if (!withValue.contains(name) && !alone.contains(name))
            kept << argument;
    }
    return kept;
}

} // namespace

QString CommandLine::parseForWindows(const QStringList& arguments) {
    if (!m_parser.parse(withoutToolkitOptions(arguments)))
        return m_parser.errorText() + QStringLiteral(" See posling --help.");
    if (!m_parser.positionalArguments().isEmpty())
        return QStringLiteral("posling takes no arguments besides options: %1. See posling --help.")
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

CommandLine::DevicesChoice CommandLine::readDevicesChoice(const QString& value) {
    const qsizetype open = value.lastIndexOf(u'[');
    if (!value.endsWith(u']') || open < 0 || QFileInfo::exists(value))
        return {value, {}};
    DevicesChoice choice{value.left(open), {}};
    for (const QString& name : value.mid(open + 1, value.size() - open - 2).split(u','))
        if (!name.trimmed().isEmpty())
            choice.printers << name.trimmed();
    return choice;
}

QList<CommandLine::DevicesChoice> CommandLine::devicesChoices() const {
    QList<DevicesChoice> choices;
    for (const QString& value : m_parser.values(m_devices))
        choices << readDevicesChoice(value);
    return choices;
}

void CommandLine::apply() const {
    if (!m_parser.isSet(m_devices))
        return;
    if (const QString file = readDevicesChoice(m_parser.value(m_devices)).file; !file.isEmpty())
        qputenv("POSLING_DEVICES", QFile::encodeName(file));
}

void setApplicationIdentity() {
    QCoreApplication::setApplicationName(QString::fromLatin1(opos::ProgramName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(opos::ProgramVersion));
}
