#include "nearestname.h"

#include <QList>

#include <algorithm>

namespace runner {

namespace {

// The edits (a letter added, removed or changed) that turn one word into the other.
qsizetype editDistance(const QString& a, const QString& b) {
    QList<qsizetype> row(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a.at(i - 1) == b.at(j - 1) ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

QString nearestName(const QString& word, const QStringList& names) {
    const QString lower = word.toLower();
    const qsizetype allowed = std::max<qsizetype>(1, word.size() / 4);
    QString best;
    qsizetype bestDistance = allowed + 1;
    for (const QString& name : names) {
        const qsizetype distance = editDistance(lower, name.toLower());
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
