#pragma once

#include "expectationoutcome.h"
#include "printeridentity.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

namespace runner {

// One test suite: a plan's run on one printer, or the errors of a plan that did not run.
struct SuiteReport {
    QString name;
    QString planFile;
    ReportProperties properties; // which program, devices file, connection and printer
    QList<ExpectationOutcome> outcomes;
    QStringList output; // the run's lines, as standard output showed them
    QDateTime started;  // when the run began, and on which machine (a till of a fleet)
    QString host;
    double seconds = 0;
};

// Writes runs as JUnit XML: one test suite each, one test case per expectation and wait (and per
// step --strict checks, operator's step left out, error of the plan), named by its line and its
// text, with the time its step took, a failure or a skipped element with the message, the
// properties of the suite and its output.
class JUnitReport {
public:
    static void write(QIODevice& device, const QList<SuiteReport>& suites);
};

} // namespace runner
