#pragma once

#include "expectationoutcome.h"

#include <QList>
#include <QString>

class QIODevice;

namespace runner {

// Writes a run as JUnit XML: one test suite for the plan, one test case per expectation and wait,
// named by its line and its text, a failure element with the message where it failed.
class JUnitReport {
public:
    static void write(QIODevice& device, const QString& planFile, const QList<ExpectationOutcome>& outcomes,
                      double seconds);
    // The same into a file; false, with the reason in *error, when it cannot be written.
    static bool writeFile(const QString& file, const QString& planFile,
                          const QList<ExpectationOutcome>& outcomes, double seconds, QString* error);
};

} // namespace runner
