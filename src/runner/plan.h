#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace runner {

// One line of a plan that does something.
struct PlanStep {
    enum class Kind {
        Call,           // device name arguments...: a method, or a property read when it has none
        Set,            // device property = value
        ExpectResult,   // expect RESULT: the result code of the step before, by name, number or text
        ExpectProperty, // expect [device] property = value
        WaitEvent,      // wait-event PATTERN within MS
        Print,          // print "text": PrintNormal on the receipt station, escapes decoded
        ShowPrinter,    // show virtual-printer: the virtual printer's window opens
        Ask,            // ask "text" [within MS]: the operator reads the text and presses Enter
    };
    Kind kind = Kind::Call;
    int line = 0;
    QString device;        // "printer" or "drawer"; empty where the step names none
    QString name;          // method or property; the pattern of a wait
    QStringList arguments; // as written, quotes removed; the value of a set or expectation
    int withinMs = 0;      // of a wait or a question
    QString source;        // the line as written, trimmed
};

// How long a question waits for Enter when its step gives no time.
inline constexpr int DefaultAskMs = 600000;

// A plan file: one step a line; '#' starts a comment line; blank lines are skipped. Words are
// separated by blanks; a word in double quotes may hold blanks, and "" inside it stands for one
// quote. Backslashes are left for the escape decoder.
struct Plan {
    QString file;
    QList<PlanStep> steps;
    int errorLine = 0; // 0 when the plan reads cleanly
    QString error;     // what is wrong on errorLine

    bool ok() const { return error.isEmpty(); }
    QString errorText() const { return QStringLiteral("%1:%2: %3").arg(file).arg(errorLine).arg(error); }
};

Plan readPlan(const QString& file, const QString& text);

} // namespace runner
