#include "printertarget.h"

namespace runner {

namespace {

bool opens(const PlanStep& step, const QString& device) {
    return step.kind == PlanStep::Kind::Call && step.device == device &&
           step.name.compare(QStringLiteral("Open"), Qt::CaseInsensitive) == 0 && step.arguments.size() == 1;
}

QString openedName(const Plan& plan, const QString& device, const QString& usual) {
    for (const PlanStep& step : plan.steps)
        if (opens(step, device))
            return step.arguments.first();
    return usual;
}

void rename(PlanStep& step, const QString& device, const QString& from, const QString& to) {
    if (!opens(step, device) || step.arguments.first().compare(from, Qt::CaseInsensitive) != 0)
        return;
    step.arguments = {to};
    step.source += QStringLiteral("  (as %1)").arg(to);
}

} // namespace

QString plannedPrinter(const Plan& plan) {
    return openedName(plan, QStringLiteral("printer"), QStringLiteral("Z901"));
}

QString plannedDrawer(const Plan& plan) {
    return openedName(plan, QStringLiteral("drawer"), QStringLiteral("Z901-1"));
}

Plan retarget(const Plan& plan, const QString& printer, const QString& drawer) {
    const QString planPrinter = plannedPrinter(plan);
    const QString planDrawer = plannedDrawer(plan);
    Plan out = plan;
    for (PlanStep& step : out.steps) {
        rename(step, QStringLiteral("printer"), planPrinter, printer);
        rename(step, QStringLiteral("drawer"), planDrawer, drawer);
    }
    return out;
}

} // namespace runner
