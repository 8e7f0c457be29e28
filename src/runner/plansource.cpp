#include "plansource.h"

#include "opos/userfiles.h"

namespace runner {

namespace {

Plan unreadable(const QString& file, const QString& reason) {
    Plan plan;
    plan.file = file;
    plan.errors << PlanError{0, {}, QStringLiteral("cannot read the plan: %1").arg(reason)};
    return plan;
}

} // namespace

// A plan file must be a regular file, and standard input is read as a stream: either way no more
// than MaxPlanBytes, so a device or a pipe that never ends cannot hold the run.
Plan loadPlan(const QString& file) {
    const bool fromInput = file == u"-";
    const QString name = fromInput ? QString::fromLatin1(StandardInputName) : file;
    const opos::ReadFile read =
        fromInput ? opos::readStream(0, MaxPlanBytes) : opos::readUserFile(file, MaxPlanBytes);
    if (!read.ok())
        return unreadable(name, read.error);
    return readPlan(name, QString::fromUtf8(read.bytes));
}

} // namespace runner
