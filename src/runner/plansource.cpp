#include "plansource.h"

#include <QFile>

namespace runner {

namespace {

Plan unreadable(const QString& file, const QString& reason) {
    Plan plan;
    plan.file = file;
    plan.errors << PlanError{0, {}, QStringLiteral("cannot read the plan: %1").arg(reason)};
    return plan;
}

} // namespace

Plan loadPlan(const QString& file) {
    const bool fromInput = file == u"-";
    const QString name = fromInput ? QString::fromLatin1(StandardInputName) : file;
    QFile in(file);
    const bool opened = fromInput ? in.open(0, QIODevice::ReadOnly) : in.open(QIODevice::ReadOnly);
    if (!opened)
        return unreadable(name, in.errorString());
    QByteArray text;
    for (;;) {
        const QByteArray chunk = in.read(64 * 1024);
        if (chunk.isEmpty())
            break;
        text += chunk;
        if (text.size() > MaxPlanBytes)
            return unreadable(name,
                              QStringLiteral("it is longer than %1 MB").arg(MaxPlanBytes / (1024 * 1024)));
    }
    if (in.error() != QFileDevice::NoError)
        return unreadable(name, in.errorString());
    return readPlan(name, QString::fromUtf8(text));
}

} // namespace runner
