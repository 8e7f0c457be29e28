#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QProcessEnvironment>
#include <QStringList>

// The program's command line: --help, --version, --devices FILE, --check-devices and
// --run PLAN [--junit FILE] [--strict] [--operator].
class CommandLine {
public:
    // One --devices value: a devices file, and for a plan run the printer sections to run it on,
    // written after the file in brackets ("shop.ini[Till-1,Till-2]"; "[Till-1]" for the usual file).
    struct DevicesChoice {
        QString file;         // empty: the usual devices file
        QStringList printers; // empty: the printer the plan opens
    };
    // The value read as a choice: a value that names an existing file is that file alone.
    static DevicesChoice readDevicesChoice(const QString& value);

    CommandLine();

    QCommandLineParser& parser() { return m_parser; }

    // True when the arguments ask only for help or the version, which need no display.
    static bool asksForInformationOnly(const QStringList& arguments);

    // True when the arguments ask for the device check, which runs on a plain terminal and opens
    // no window.
    static bool asksForDeviceCheck(const QStringList& arguments);

    // Parses the arguments of a device check: the usage error to print, or an empty text.
    QString parseForDeviceCheck(const QStringList& arguments);
    // Parses the arguments of a start of the windows, before any display is needed: a usage error
    // (an unknown option, a stray argument) says so, else empty. The toolkit's own options pass.
    QString parseForWindows(const QStringList& arguments);

    // True when the arguments ask to run a plan (--run, or --junit which belongs to it), which
    // opens no window unless the plan shows the virtual printer.
    static bool asksForPlanRun(const QStringList& arguments);

    // Parses the arguments of a plan run: the usage error to print, or an empty text.
    QString parseForPlanRun(const QStringList& arguments);
    QString planFile() const { return m_parser.value(m_run); }
    QString junitFile() const { return m_parser.value(m_junit); }
    bool strict() const { return m_parser.isSet(m_strict); }
    // --operator: a person answers the plan's questions even though standard input is no terminal.
    bool operatorInsisted() const { return m_parser.isSet(m_operator); }
    // Every --devices given, in order; a plan runs once on each printer they name.
    QList<DevicesChoice> devicesChoices() const;

    // One sentence saying that no display can be reached and how to get one, or an empty text when
    // the arguments or the environment name a display or a platform. Qt would otherwise abort.
    static QString missingDisplayMessage(const QStringList& arguments,
                                         const QProcessEnvironment& environment);

    // --quit-after-start: the program ends once its main window is drawn (start-up benchmarks).
    bool quitsAfterStart() const { return m_parser.isSet(m_quitAfterStart); }

    // Makes the parsed settings visible to the parts that read them: the device file goes into the
    // environment, where the device registry looks for it, before any control is created.
    void apply() const;

private:
    QCommandLineParser m_parser;
    QCommandLineOption m_devices;
    QCommandLineOption m_checkDevices;
    QCommandLineOption m_run;
    QCommandLineOption m_junit;
    QCommandLineOption m_strict;
    QCommandLineOption m_operator;
    QCommandLineOption m_quitAfterStart;
};

// Application name and version, as --version prints them.
void setApplicationIdentity();
