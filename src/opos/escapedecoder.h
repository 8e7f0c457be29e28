#pragma once

#include <QString>

namespace opos {

// Turns every backslash followed by two characters into the one character whose code those two
// characters give as a hexadecimal number (non-digits end the number; none gives 0). A character
// produced by an escape is read again like a typed one, so "\5C41" gives "A". A backslash with
// fewer than two characters after it is copied unchanged, with what follows it.
QString decodeEscapes(const QString& text);

} // namespace opos
