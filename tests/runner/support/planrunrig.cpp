#include "support/planrunrig.h"

#include "virtual/virtualprinter.h"
#include "virtual/virtualprinterhub.h"

#include <QFile>
#include <QXmlStreamReader>

virt::VirtualPrinter* virtualPrinter() {
    return virt::VirtualPrinterHub::instance()->printer(QStringLiteral("Z901"));
}

void scriptedOperator(const QString& question, int) {
    if (question.contains(QStringLiteral("Open"), Qt::CaseInsensitive) &&
        question.contains(QStringLiteral("cover")))
        virtualPrinter()->setCoverOpen(true);
    else if (question.contains(QStringLiteral("Close the cover"), Qt::CaseInsensitive))
        virtualPrinter()->setCoverOpen(false);
}

RunOutput runPlan(const runner::Plan& plan, const runner::RunOptions& options) {
    RunOutput result;
    runner::PlanRun run([&](const QString& line) { result.out << line; },
                        [&](const QString& line) { result.errors << line; }, scriptedOperator);
    result.code = run.run(plan, options);
    return result;
}

RunOutput runPlan(const QString& text, const runner::RunOptions& options) {
    return runPlan(runner::readPlan(QStringLiteral("p.plan"), text), options);
}

JUnitFile readJUnit(const QString& file) {
    JUnitFile report;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {{}, {}, {}, {}, {}, in.errorString()};
    QXmlStreamReader xml(&in);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto value = [&](const char* name) {
            return xml.attributes().value(QLatin1String(name)).toString();
        };
        if (xml.name() == u"testsuite")
            report.suites << QStringLiteral("%1: %2 tests, %3 failures, %4 skipped")
                                 .arg(value("name"), value("tests"), value("failures"), value("skipped"));
        else if (xml.name() == u"property")
            report.properties.insert(value("name"), value("value"));
        else if (xml.name() == u"testcase") {
            report.cases << value("name");
            report.times.insert(value("name"), value("time").toDouble());
        } else if (xml.name() == u"failure" || xml.name() == u"skipped")
            report.cases.last() += QStringLiteral(" -> %1: %2").arg(xml.name().toString(), value("message"));
        else if (xml.name() == u"system-out")
            report.output = xml.readElementText();
    }
    if (xml.hasError())
        report.error = xml.errorString();
    return report;
}

QString missingLine(const QStringList& expected, const QStringList& out) {
    qsizetype from = 0;
    for (const QString& line : expected) {
        while (from < out.size() && !out.at(from).startsWith(line))
            ++from;
        if (from == out.size())
            return QStringLiteral("no line \"%1\" in order in:\n%2").arg(line, out.join(u'\n'));
        ++from;
    }
    return {};
}
