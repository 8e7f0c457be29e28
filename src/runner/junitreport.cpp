#include "junitreport.h"

#include <QXmlStreamWriter>

namespace runner {

namespace {

using Origin = ExpectationOutcome::Origin;

QString seconds(double value) {
    return QString::number(value, 'f', 3);
}

QString caseName(const ExpectationOutcome& outcome) {
    if (outcome.line == 0)
        return outcome.source;
    return QStringLiteral("line %1: %2").arg(outcome.line).arg(outcome.source);
}

QString failureType(Origin origin) {
    switch (origin) {
    case Origin::StrictResult:
        return QStringLiteral("strict");
    case Origin::Plan:
        return QStringLiteral("plan");
    case Origin::Expectation:
    case Origin::OperatorStep:
        break;
    }
    return QStringLiteral("expectation");
}

struct Counts {
    qsizetype tests = 0;
    qsizetype failures = 0;
    qsizetype skipped = 0;
};

Counts countsOf(const QList<ExpectationOutcome>& outcomes) {
    Counts counts;
    counts.tests = outcomes.size();
    for (const ExpectationOutcome& outcome : outcomes) {
        counts.failures += outcome.failed() ? 1 : 0;
        counts.skipped += outcome.skipped ? 1 : 0;
    }
    return counts;
}

void writeCounts(QXmlStreamWriter& xml, const Counts& counts, double time) {
    xml.writeAttribute(QStringLiteral("tests"), QString::number(counts.tests));
    xml.writeAttribute(QStringLiteral("failures"), QString::number(counts.failures));
    xml.writeAttribute(QStringLiteral("errors"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("skipped"), QString::number(counts.skipped));
    xml.writeAttribute(QStringLiteral("time"), seconds(time));
}

void writeCase(QXmlStreamWriter& xml, const QString& suite, const ExpectationOutcome& outcome) {
    xml.writeStartElement(QStringLiteral("testcase"));
    xml.writeAttribute(QStringLiteral("classname"), suite);
    xml.writeAttribute(QStringLiteral("name"), caseName(outcome));
    xml.writeAttribute(QStringLiteral("time"), seconds(outcome.seconds));
    if (outcome.skipped) {
        xml.writeStartElement(QStringLiteral("skipped"));
        xml.writeAttribute(QStringLiteral("message"), outcome.message);
        xml.writeEndElement();
    } else if (!outcome.passed) {
        xml.writeStartElement(QStringLiteral("failure"));
        xml.writeAttribute(QStringLiteral("type"), failureType(outcome.origin));
        xml.writeAttribute(QStringLiteral("message"), outcome.message);
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

void writeSuite(QXmlStreamWriter& xml, const SuiteReport& suite) {
    xml.writeStartElement(QStringLiteral("testsuite"));
    xml.writeAttribute(QStringLiteral("name"), suite.name);
    xml.writeAttribute(QStringLiteral("file"), suite.planFile);
    if (suite.started.isValid())
        xml.writeAttribute(QStringLiteral("timestamp"), suite.started.toString(Qt::ISODate));
    if (!suite.host.isEmpty())
        xml.writeAttribute(QStringLiteral("hostname"), suite.host);
    writeCounts(xml, countsOf(suite.outcomes), suite.seconds);
    if (!suite.properties.isEmpty()) {
        xml.writeStartElement(QStringLiteral("properties"));
        for (const auto& [name, value] : suite.properties) {
            xml.writeStartElement(QStringLiteral("property"));
            xml.writeAttribute(QStringLiteral("name"), name);
            xml.writeAttribute(QStringLiteral("value"), value);
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    for (const ExpectationOutcome& outcome : suite.outcomes)
        writeCase(xml, suite.name, outcome);
    xml.writeTextElement(QStringLiteral("system-out"), suite.output.join(u'\n') + u'\n');
    xml.writeEndElement();
}

} // namespace

void JUnitReport::write(QIODevice& device, const QList<SuiteReport>& suites) {
    QList<ExpectationOutcome> all;
    double time = 0;
    for (const SuiteReport& suite : suites) {
        all += suite.outcomes;
        time += suite.seconds;
    }
    QXmlStreamWriter xml(&device);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuites"));
    if (!suites.isEmpty())
        xml.writeAttribute(QStringLiteral("name"), suites.first().planFile);
    writeCounts(xml, countsOf(all), time);
    for (const SuiteReport& suite : suites)
        writeSuite(xml, suite);
    xml.writeEndElement();
    xml.writeEndDocument();
}

} // namespace runner
