#pragma once

#include "resolvedstep.h"

namespace runner {

// Binds every step of a plan to the controls before any runs, so a misspelt name, a wrong number
// of arguments or a word that does not convert stops the plan; every such step is reported.
class StepResolver {
public:
    StepResolver(QObject& printer, QObject& drawer) : m_printer(printer), m_drawer(drawer) {}

    struct Resolved {
        QList<ResolvedStep> steps; // every step that resolved
        QList<PlanError> errors;   // in line order; empty when every step resolved
    };
    // Lines the plan already found broken are taken as steps that may have a result, so an
    // `expect` after one is not reported a second time.
    Resolved resolve(const Plan& plan) const;

private:
    QString resolveStep(const PlanStep& step, bool resultBefore, ResolvedStep& out) const;
    QString resolveCall(const PlanStep& step, ResolvedStep& out) const;
    QString resolveSet(const PlanStep& step, ResolvedStep& out) const;
    QString resolveRead(const PlanStep& step, ResolvedStep& out) const;
    QObject& control(const QString& device) const;

    QObject& m_printer;
    QObject& m_drawer;
};

// A wait's pattern: '*' stands for any run of characters, '?' for one; it must match the whole
// event line after its number, upper or lower case alike.
QRegularExpression wildcardPattern(const QString& pattern);

} // namespace runner
