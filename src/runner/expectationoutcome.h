#pragma once

#include <QList>
#include <QString>

namespace runner {

// One test case of a run, as the summary and the JUnit report count it: an expectation or wait of
// the plan, a step's result that --strict checks, or an operator's step left out.
struct ExpectationOutcome {
    enum class Origin {
        Expectation,  // expect or wait-event, as the plan wrote it
        StrictResult, // a method or set no `expect` follows, which --strict wants OPOS_SUCCESS of
        OperatorStep, // ask or show, listed only when skipped
        Plan,         // the plan as a whole: an error in it, or that --strict finds nothing checked
    };
    int line = 0;
    QString source; // the step as written
    bool passed = false;
    bool skipped = false; // not checked: it needs the operator, and none is there
    QString message;      // why it failed or was skipped
    double seconds = 0;   // the step's own time, and for `expect RESULT` that of the step it checks
    Origin origin = Origin::Expectation;

    bool failed() const { return !passed && !skipped; }
};

// The counts of a run's last line.
struct RunTally {
    int expectations = 0; // the plan's and those --strict adds
    int failed = 0;
    int skipped = 0;
    int checkedOfThePlan = 0; // expectations the plan wrote that were checked

    static RunTally of(const QList<ExpectationOutcome>& outcomes);
    RunTally& operator+=(const RunTally& other);
    bool checkedNothing() const { return checkedOfThePlan == 0; }
    // "12 expectations, 1 failed", with what was skipped and whether anything was checked at all.
    QString summary(bool strict) const;
};

} // namespace runner
