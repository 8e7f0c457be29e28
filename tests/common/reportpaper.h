#pragma once

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

// Three properties of the report say how it was printed (asynchronously, with output queued); the
// rest is the same in either mode.
inline QString withoutModeValues(QString text) {
    static const QRegularExpression modeValues(
        QStringLiteral("(OutputID:  \\(For Async\\)  |State:   |AsyncMode:   )(\\d+|True|False)"));
    return text.replace(modeValues, QStringLiteral("\\1#"));
}

// The report as printed text: the golden bytes' lines, without blank ones. A line wider than the
// paper wraps onto two, so lines are compared joined.
inline QString goldenReport() {
    QFile golden(QStringLiteral(POSLING_TEST_DATA "/property-report.bin"));
    if (!golden.open(QIODevice::ReadOnly))
        return QStringLiteral("(golden report missing)");
    return withoutModeValues(
        QString::fromLatin1(golden.readAll()).split(u'\n', Qt::SkipEmptyParts).join(QString()));
}

// Printed lines as the report's text: blank lines go, and the rest is joined.
inline QString reportText(QStringList lines) {
    lines.removeAll(QString());
    return withoutModeValues(lines.join(QString()));
}
