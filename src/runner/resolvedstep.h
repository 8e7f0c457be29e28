#pragma once

#include "devicecall.h"
#include "expectedresult.h"
#include "plan.h"

#include <QRegularExpression>

namespace runner {

// A plan step bound to the invokable of a control it runs, with its words converted.
struct ResolvedStep {
    enum class Action {
        Method,
        PropertyRead,
        PropertySet,
        ExpectResult,
        ExpectProperty,
        WaitEvent,
        Ask,
        Nothing
    };
    PlanStep step;
    Action action = Action::Nothing;
    bool onDrawer = false;
    QString name;     // as the contract spells it; the property of a set
    DeviceCall call;  // the method, property read or setter
    TypedValue value; // the value of a set, or the one an expectation wants
    std::optional<ExpectedResult> result;
    QRegularExpression pattern;  // of a wait
    bool resultExpected = false; // a method or set whose result an `expect RESULT` checks
};

} // namespace runner
