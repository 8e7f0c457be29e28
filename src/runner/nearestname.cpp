#include "nearestname.h"

#include "opos/editdistance.h"

#include <algorithm>

namespace runner {

QString nearestName(const QString& word, const QStringList& names) {
    const QString lower = word.toLower();
    const qsizetype allowed = std::max<qsizetype>(1, word.size() / 4);
    QString best;
    qsizetype bestDistance = allowed + 1;
    for (const QString& name : names) {
        const qsizetype distance = opos::editDistance(lower, name.toLower());
        if (distance < bestDistance) {
            best = name;
            bestDistance = distance;
        }
    }
    return best;
}

QString suggestion(const QString& word, const QStringList& names) {
    const QString name = nearestName(word, names);
    return name.isEmpty() ? QString() : QStringLiteral("; did you mean %1?").arg(name);
}

} // namespace runner
