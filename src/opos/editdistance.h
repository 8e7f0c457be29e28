#pragma once

#include <QString>

namespace opos {

// The edits (a letter added, removed or changed) that turn one word into the other; for naming the
// word a misspelt one most likely meant.
qsizetype editDistance(const QString& a, const QString& b);

} // namespace opos
