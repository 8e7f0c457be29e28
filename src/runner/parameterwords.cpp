#include "parameterwords.h"

#include <QHash>
#include <QStringList>

namespace runner {

namespace {

// What a method's only parameter is, where its name alone says too little.
const QHash<QString, QString> kOnlyParameter{
    {QStringLiteral("DeviceName"), QStringLiteral("the logical device name")},
    {QStringLiteral("Timeout"),
     QStringLiteral("the time-out in ms (OPOS_FOREVER waits as long as it takes)")},
    {QStringLiteral("Level"),
     QStringLiteral("the level of the check (OPOS_CH_INTERNAL, OPOS_CH_EXTERNAL or OPOS_CH_INTERACTIVE)")},
    {QStringLiteral("Percentage"),
     QStringLiteral("how much of the paper to cut, in percent (100 cuts it off)")},
    {QStringLiteral("Type"),
     QStringLiteral("the kind of mark feed (PTR_MF_TO_TAKEUP, PTR_MF_TO_CUTTER, ...)")},
    {QStringLiteral("Side"),
     QStringLiteral("the side of the slip (PTR_PS_SIDE1, PTR_PS_SIDE2, PTR_PS_OPPOSITE)")},
    {QStringLiteral("StatisticsBuffer"),
     QStringLiteral("the statistics, by name or as a statistics document")},
    {QStringLiteral("pStatisticsBuffer"),
     QStringLiteral("the statistics to read by name, \"\" for all; the line shows what came back")},
};

QString countWord(qsizetype count) {
    static const QStringList words{QStringLiteral("no"),    QStringLiteral("one"),   QStringLiteral("two"),
                                   QStringLiteral("three"), QStringLiteral("four"),  QStringLiteral("five"),
                                   QStringLiteral("six"),   QStringLiteral("seven"), QStringLiteral("eight")};
    return count < words.size() ? words.at(count) : QString::number(count);
}

QString argumentsWord(qsizetype count) {
    return count == 1 ? QStringLiteral("argument") : QStringLiteral("arguments");
}

// "one argument: the logical device name", "seven arguments: Station, Data, ..."
QString parametersOf(const QMetaMethod& method) {
    const int count = method.parameterCount();
    QString text = countWord(count) + u' ' + argumentsWord(count);
    if (count == 1) {
        const QString name = parameterName(method, 0);
        return text + QStringLiteral(": ") + kOnlyParameter.value(name, name);
    }
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << parameterName(method, i);
    return count == 0 ? text : text + QStringLiteral(": ") + names.join(QStringLiteral(", "));
}

} // namespace

QString parameterName(const QMetaMethod& method, int index) {
    const QString methodName = QString::fromLatin1(method.name());
    if (method.parameterCount() == 1 && methodName.startsWith(QStringLiteral("set")))
        return methodName.mid(3);
    const QString name = QString::fromLatin1(method.parameterNames().value(index));
    return name.isEmpty() ? QStringLiteral("argument %1").arg(index + 1) : name;
}

QString argumentCountText(const QString& method, const QList<QMetaMethod>& overloads, qsizetype given) {
    QStringList ways;
    for (const QMetaMethod& overload : overloads)
        ways << parametersOf(overload);
    return QStringLiteral("%1 takes %2; the step gives %3")
        .arg(method, ways.join(QStringLiteral(", or ")),
             given == 0 ? QStringLiteral("none") : QString::number(given));
}

} // namespace runner
