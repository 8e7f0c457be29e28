#include "opos/problemnote.h"

#include <utility>

namespace opos {

namespace {
QString& latest() {
    static QString reason;
    return reason;
}
} // namespace

void noteProblem(const QString& reason) {
    latest() = reason;
}

QString takeProblem() {
    return std::exchange(latest(), QString());
}

} // namespace opos
