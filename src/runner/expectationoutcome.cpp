#include "expectationoutcome.h"

namespace runner {

RunTally RunTally::of(const QList<ExpectationOutcome>& outcomes) {
    using Origin = ExpectationOutcome::Origin;
    RunTally tally;
    for (const ExpectationOutcome& outcome : outcomes) {
        if (outcome.origin == Origin::OperatorStep || outcome.origin == Origin::Plan)
            continue;
        ++tally.expectations;
        tally.failed += outcome.failed() ? 1 : 0;
        tally.skipped += outcome.skipped ? 1 : 0;
        if (outcome.origin == Origin::Expectation && !outcome.skipped)
            ++tally.checkedOfThePlan;
    }
    return tally;
}

RunTally& RunTally::operator+=(const RunTally& other) {
    expectations += other.expectations;
    failed += other.failed;
    skipped += other.skipped;
    checkedOfThePlan += other.checkedOfThePlan;
    return *this;
}

QString RunTally::summary(bool strict) const {
    QString text = QStringLiteral("%1 expectations, %2 failed").arg(expectations).arg(failed);
    if (skipped > 0)
        text += QStringLiteral(", %1 skipped without an operator").arg(skipped);
    if (checkedNothing())
        text += strict ? QStringLiteral(": nothing the plan expects was checked, which --strict fails")
                       : QStringLiteral(": nothing the plan expects was checked");
    return text;
}

} // namespace runner
