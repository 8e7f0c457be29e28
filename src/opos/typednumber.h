#pragma once

#include <QString>
#include <optional>

namespace opos {

// Reads a typed number as a 32-bit signed integer: decimal digits with an optional sign and an
// optional fraction, blanks around it allowed; the fraction is rounded to the nearest whole
// number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Anything else, or a value
// outside the 32-bit range, gives no value.
std::optional<qint32> parseTypedNumber(const QString& text);

} // namespace opos
