#include "junitreport.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamWriter>

#include <algorithm>

namespace runner {

void JUnitReport::write(QIODevice& device, const QString& planFile, const QList<ExpectationOutcome>& outcomes,
                        double seconds) {
    const auto failures = std::count_if(outcomes.cbegin(), outcomes.cend(),
                                        [](const ExpectationOutcome& outcome) { return !outcome.passed; });
    const QString suite = QFileInfo(planFile).completeBaseName();
    QXmlStreamWriter xml(&device);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuites"));
    xml.writeStartElement(QStringLiteral("testsuite"));
    xml.writeAttribute(QStringLiteral("name"), suite);
    xml.writeAttribute(QStringLiteral("file"), planFile);
    xml.writeAttribute(QStringLiteral("tests"), QString::number(outcomes.size()));
    xml.writeAttribute(QStringLiteral("failures"), QString::number(failures));
    xml.writeAttribute(QStringLiteral("errors"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("time"), QString::number(seconds, 'f', 3));
    for (const ExpectationOutcome& outcome : outcomes) {
        xml.writeStartElement(QStringLiteral("testcase"));
        xml.writeAttribute(QStringLiteral("classname"), suite);
        xml.writeAttribute(QStringLiteral("name"),
                           QStringLiteral("line %1: %2").arg(outcome.line).arg(outcome.source));
        xml.writeAttribute(QStringLiteral("time"), QString::number(outcome.seconds, 'f', 3));
        if (!outcome.passed) {
            xml.writeStartElement(QStringLiteral("failure"));
            xml.writeAttribute(QStringLiteral("message"), outcome.message);
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
}

bool JUnitReport::writeFile(const QString& file, const QString& planFile,
                            const QList<ExpectationOutcome>& outcomes, double seconds, QString* error) {
    QSaveFile out(file);
    if (out.open(QIODevice::WriteOnly)) {
        write(out, planFile, outcomes, seconds);
        if (out.commit())
            return true;
    }
    *error = QStringLiteral("%1: cannot write the JUnit report: %2").arg(file, out.errorString());
    return false;
}

} // namespace runner
