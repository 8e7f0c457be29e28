#include "device/control/statisticsxml.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace device {

namespace {

const QString kRoot = QStringLiteral("UPOSStat");
const QString kName = QStringLiteral("Name");
const QString kValue = QStringLiteral("Value");

void writeEntry(QXmlStreamWriter& xml, const QString& element, const QString& name, const QString& value) {
    xml.writeStartElement(element);
    xml.writeTextElement(kName, name);
    xml.writeTextElement(kValue, value);
    xml.writeEndElement();
}

void writeEquipment(QXmlStreamWriter& xml, StatisticsCategory category,
                    const StatisticsEquipment& equipment) {
    xml.writeStartElement(QStringLiteral("Equipment"));
    xml.writeTextElement(QStringLiteral("UnifiedPOSVersion"), QStringLiteral("1.8"));
    xml.writeEmptyElement(QStringLiteral("DeviceCategory"));
    xml.writeAttribute(QStringLiteral("UPOS"), categoryName(category));
    xml.writeTextElement(QStringLiteral("ManufacturerName"), equipment.manufacturer);
    xml.writeTextElement(QStringLiteral("ModelName"), equipment.model);
    xml.writeTextElement(QStringLiteral("SerialNumber"), equipment.serialNumber);
    xml.writeTextElement(QStringLiteral("ManufactureDate"), QString());
    xml.writeTextElement(QStringLiteral("MechanicalRevision"), QString());
    xml.writeTextElement(QStringLiteral("FirmwareRevision"), equipment.firmwareRevision);
    xml.writeTextElement(QStringLiteral("Interface"), equipment.interfaceName);
    xml.writeTextElement(QStringLiteral("InstallationDate"), QString());
    xml.writeEndElement();
}

// Reads the Name and Value of the entry the reader stands on; false when the name is missing.
bool readEntry(QXmlStreamReader& xml, StatisticsDocument& document) {
    QString name;
    QString value;
    while (xml.readNextStartElement()) {
        if (xml.name() == kName)
            name = xml.readElementText();
        else if (xml.name() == kValue)
            value = xml.readElementText();
        else
            xml.skipCurrentElement();
    }
    if (name.isEmpty())
        return false;
    document.values.insert(name, value);
    return true;
}

QString readCategory(QXmlStreamReader& xml) {
    QString category;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("DeviceCategory"))
            category = xml.attributes().value(QLatin1String("UPOS")).toString();
        xml.skipCurrentElement();
    }
    return category;
}

} // namespace

QString writeStatisticsXml(const StatisticsReport& report) {
    QString text;
    QXmlStreamWriter xml(&text);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(kRoot);
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.8.0"));
    xml.writeNamespace(QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"), QStringLiteral("xsi"));
    xml.writeAttribute(QStringLiteral("xsi:noNamespaceSchemaLocation"), QStringLiteral("UPOSStat.xsd"));
    if (report.request) {
        xml.writeStartElement(QStringLiteral("Event"));
        writeEntry(xml, QStringLiteral("Parameter"), QStringLiteral("RequestedStatistic"), *report.request);
        xml.writeEndElement();
    }
    writeEquipment(xml, report.category, report.equipment);
    for (const auto& [name, value] : report.parameters)
        writeEntry(xml, QStringLiteral("Parameter"), name, value);
    for (const auto& [name, value] : report.manufacturerSpecific)
        writeEntry(xml, QStringLiteral("ManufacturerSpecific"), name, value);
    xml.writeEndElement();
    xml.writeEndDocument();
    return text;
}

std::optional<StatisticsDocument> readStatisticsXml(const QByteArray& bytes, QString* error) {
    QXmlStreamReader xml(bytes);
    StatisticsDocument document;
    QString problem;
    if (!xml.readNextStartElement() || xml.name() != kRoot) {
        problem = QStringLiteral("not a UPOSStat document");
    } else {
        while (problem.isEmpty() && xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("Equipment"))
                document.category = readCategory(xml);
            else if (xml.name() == QLatin1String("Parameter") ||
                     xml.name() == QLatin1String("ManufacturerSpecific"))
                problem = readEntry(xml, document) ? QString() : QStringLiteral("a statistic without a name");
            else
                xml.skipCurrentElement();
        }
    }
    while (problem.isEmpty() && !xml.atEnd())
        xml.readNext(); // a cut-off file or anything after the root is an error too
    if (problem.isEmpty() && xml.hasError())
        problem = xml.errorString();
    if (problem.isEmpty())
        return document;
    if (error)
        *error = problem;
    return std::nullopt;
}

} // namespace device
