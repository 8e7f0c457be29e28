#pragma once

#include <QString>

namespace opos {

// One sentence for the user about the code named in a status line: what it means and the usual
// next step. The most specific code wins (an extended printer code over OPOS_E_EXTENDED, a result
// code over a status update). Text the user typed, quoted in the line, is not searched. A line
// without a known code gives an empty string. When the printer cannot be opened or claimed, short
// sentences on finding the cause (posling --check-devices) and the usual fixes follow.
QString resultAdvice(const QString& statusLine);

} // namespace opos
