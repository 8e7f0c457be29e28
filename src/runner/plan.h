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

// What is wrong with one line of a plan, or with the whole plan (line 0).
struct PlanError {
    int line = 0;
    QString source; // the line as written, trimmed
    QString reason;
};

// A plan file: one step a line; '#' starts a comment line; blank lines are skipped. Words are
// separated by blanks; a word in double quotes may hold blanks, and "" inside it stands for one
// quote. Backslashes are left for the escape decoder.
struct Plan {
    QString file;
    QList<PlanStep> steps;   // every line that reads as a step, so all of them can be checked
    QList<PlanError> errors; // in line order; a plan with errors never runs

    bool ok() const { return errors.isEmpty(); }
    QString errorText(const PlanError& error) const; // FILE:LINE: reason, or FILE: reason
    QString errorText() const { return errors.isEmpty() ? QString() : errorText(errors.first()); }
    // Adds errors found later (by the check against the controls), keeping the line order.
    void addErrors(const QList<PlanError>& more);
    // True when one of the plan's lines between these two (both excluded) is broken.
    bool brokenBetween(int afterLine, int beforeLine) const;
};

// Every line is read, so every error of the plan is reported at once; a plan without a step is an
// error too.
Plan readPlan(const QString& file, const QString& text);

} // namespace runner
