#include "constantnames.h"

#include "oposconstants.h"

#include <QHash>
#include <utility>

namespace opos {

namespace {

// Generated from oposconstants.h at configure time (src/CMakeLists.txt).
const std::pair<QString, qint32> kConstants[] = {
#include "opos/constanttable.inc"
};

const QHash<QString, qint32>& byFoldedName() {
    static const QHash<QString, qint32> table = [] {
        QHash<QString, qint32> folded;
        for (const auto& [name, value] : kConstants)
            folded.insert(name.toUpper(), value);
        return folded;
    }();
    return table;
}

} // namespace

std::optional<qint32> constantValue(const QString& name) {
    const auto found = byFoldedName().constFind(name.toUpper());
    return found == byFoldedName().cend() ? std::nullopt : std::optional<qint32>(*found);
}

QStringList constantNames() {
    QStringList names;
    for (const auto& entry : kConstants)
        names << entry.first;
    return names;
}

} // namespace opos
