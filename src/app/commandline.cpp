#include "commandline.h"

#include "opos/version.h"

#include <QCoreApplication>
#include <QFile>

CommandLine::CommandLine()
    : m_devices(QStringLiteral("devices"),
                QStringLiteral("Reads the logical device names (\"Z901\", \"Z901-1\") from <file>."),
                QStringLiteral("file")) {
    m_parser.setApplicationDescription(QStringLiteral("Tests POS receipt printers and their cash drawers."));
    m_parser.addHelpOption();
    m_parser.addVersionOption();
    m_parser.addOption(m_devices);
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
