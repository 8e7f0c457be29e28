#pragma once

#include <QMetaMethod>
#include <QString>

namespace runner {

// How a parameter of a control method is named in a plan's error messages: for a property set
// the property's name, otherwise the parameter's name as the method's description gives it.
QString parameterName(const QMetaMethod& method, int index);

// Why a step's arguments do not fit `method`, in the plan's words: "Open takes one argument: the
// logical device name; the step gives none".
QString argumentCountText(const QString& method, const QList<QMetaMethod>& overloads, qsizetype given);

} // namespace runner
