#pragma once

#include "plan.h"

#include <QString>

namespace runner {

// The name a plan read from standard input goes by in messages and reports.
inline constexpr const char* StandardInputName = "<stdin>";
// A plan longer than this is refused rather than read without end (a device file, a runaway pipe).
inline constexpr qint64 MaxPlanBytes = 4 * 1024 * 1024;

// The one way a plan's text is read: from the file, or from standard input when it is "-". A plan
// that cannot be read is an error of the whole plan.
Plan loadPlan(const QString& file);

} // namespace runner
