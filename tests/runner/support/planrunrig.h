#pragma once

#include "runner/planrun.h"

#include <QMap>
#include <QStringList>

namespace virt {
class VirtualPrinter;
}

// The embedded virtual printer the plans open as Z901.
virt::VirtualPrinter* virtualPrinter();

// The operator of the fault drills: does to the virtual printer what the question asks.
void scriptedOperator(const QString& question, int withinMs);

struct RunOutput {
    int code = -1;
    QStringList out;
    QStringList errors;
};

// A run of the plan on the controls the factory makes, with the scripted operator.
RunOutput runPlan(const runner::Plan& plan, const runner::RunOptions& options = {});
RunOutput runPlan(const QString& text, const runner::RunOptions& options = {}); // as p.plan

// A JUnit report as lines to compare: its suites, and its test cases with what failed or was skipped.
struct JUnitFile {
    QStringList suites; // "name: T tests, F failures, S skipped"
    QStringList cases;  // "name", "name -> failure: message", "name -> skipped: message"
    QMap<QString, double> times;
    QMap<QString, QString> properties; // of the last suite
    QString output;                    // of the last suite
    QString error;
};

JUnitFile readJUnit(const QString& file);

// Each expected line starts one line of `out`, in this order; else what is missing.
QString missingLine(const QStringList& expected, const QStringList& out);
