#pragma once

#include <QString>
#include <QStringList>

namespace runner {

// The name of `names` a misspelt `word` most likely meant (a letter or two off, upper or lower case
// alike), or an empty text when none is that close.
QString nearestName(const QString& word, const QStringList& names);

// "; did you mean NAME?" for the nearest name, or an empty text.
QString suggestion(const QString& word, const QStringList& names);

} // namespace runner
