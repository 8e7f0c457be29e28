#pragma once

#include <QString>

namespace runner {

// One checked expectation or wait of a run, as the summary and the JUnit report count it.
struct ExpectationOutcome {
    int line = 0;
    QString source; // the step as written
    bool passed = false;
    QString message; // why it failed
    double seconds = 0;
};

} // namespace runner
