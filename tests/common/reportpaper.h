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

// The report's start, up to its identity rows: the three health checks print test receipts, and what
// they say depends on how the printer is doing at that moment. A report is compared without them
// (a paper that starts inside them loses its start the same way).
inline QString withoutHealthChecks(QString text) {
    static const QRegularExpression start(QStringLiteral("^.*?(?=--ControlObjectDescription:)"),
                                          QRegularExpression::DotMatchesEverythingOption);
    return text.remove(start);
}

// The report as printed text: the golden bytes' lines, without blank ones. A line wider than the
// paper wraps onto two, so lines are compared joined.
inline QString goldenReport() {
    QFile golden(QStringLiteral(POSLING_TEST_DATA "/property-report.bin"));
    if (!golden.open(QIODevice::ReadOnly))
        return QStringLiteral("(golden report missing)");
    return withoutHealthChecks(withoutModeValues(
        QString::fromLatin1(golden.readAll()).split(u'\n', Qt::SkipEmptyParts).join(QString())));
}

// Printed lines as the report's text: blank lines go, and the rest is joined.
inline QString reportText(QStringList lines) {
    lines.removeAll(QString());
    return withoutHealthChecks(withoutModeValues(lines.join(QString())));
}
