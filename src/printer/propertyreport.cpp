#include "propertyreport.h"

#include "opos/posprinter.h"

namespace {

using opos::PosPrinter;
using Row = PropertyReport::Row;

QString valueText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
QString valueText(qint32 value) {
    return QString::number(value);
}
QString valueText(const QString& value) {
    return value;
}

template <typename T> Row value(const char* label, T (PosPrinter::*getter)() const) {
    return {QString::fromLatin1(label), [getter](PosPrinter& p) { return valueText((p.*getter)()); }};
}

Row fixed(const char* text) {
    return {QString::fromLatin1(text), {}};
}

Row healthCheck(const char* label, qint32 level) {
    return {QString::fromLatin1(label), [](PosPrinter& p) { return p.CheckHealthText(); }, level};
}

Row empty() {
    return fixed("");
}

} // namespace

const std::vector<Row>& PropertyReport::script() {
    static const std::vector<Row> rows = {
        fixed("Common/State Properties"),
        fixed("--------------------"),
        empty(),
        healthCheck("--CheckHealth 1:   ", 1),
        healthCheck("--CheckHealth 2:   ", 2),
        healthCheck("--CheckHealth 3:   ", 3),
        value("--ControlObjectDescription:   ", &PosPrinter::ControlObjectDescription),
        value("--ControlObjectVersion:   ", &PosPrinter::ControlObjectVersion),
        value("--ServiceObjectDescription:   ", &PosPrinter::ServiceObjectDescription),
        value("--ServiceObjectVersion:   ", &PosPrinter::ServiceObjectVersion),
        value("--DeviceDescription:   ", &PosPrinter::DeviceDescription),
        value("--DeviceName:   ", &PosPrinter::DeviceName),
        empty(),
        fixed("-------------------------------"),
        empty(),
        value("--FreezeEvents:   ", &PosPrinter::FreezeEvents),
        value("--OutputID:  (For Async)  ", &PosPrinter::OutputID),
        value("--State:   ", &PosPrinter::State),
        value("--AsyncMode:   ", &PosPrinter::AsyncMode),
        empty(),
        fixed("End of Test"),
        empty(),
        fixed("Capability Properties of Printer"),
        empty(),
        value("--CapCharacterSet:   ", &PosPrinter::CapCharacterSet),
        value("--CapconcurrentJrnRec:   ", &PosPrinter::CapConcurrentJrnRec),
        value("--CapConcurrentJrnSlp:   ", &PosPrinter::CapConcurrentJrnSlp),
        value("--CapConcurrentRecSlp:   ", &PosPrinter::CapConcurrentRecSlp),
        value("--CapCoverSensor:   ", &PosPrinter::CapCoverSensor),
        value("--CapTransaction:   ", &PosPrinter::CapTransaction),
        empty(),
        fixed("-----------------------------"),
        empty(),
        value("--CapRecPresent:   ", &PosPrinter::CapRecPresent),
        value("--CapRec2Color:   ", &PosPrinter::CapRec2Color),
        value("--CapRecBarCode:   ", &PosPrinter::CapRecBarCode),
        value("--CapRecBitmap:   ", &PosPrinter::CapRecBitmap),
        value("--CapRecBold:   ", &PosPrinter::CapRecBold),
        value("--CapRecDhigh:   ", &PosPrinter::CapRecDhigh),
        value("--CapRecDwide:   ", &PosPrinter::CapRecDwide),
        value("--CapRecDwideDhigh:   ", &PosPrinter::CapRecDwideDhigh),
        value("--CapRecEmptySensor:   ", &PosPrinter::CapRecEmptySensor),
        value("--CapRecItalic:   ", &PosPrinter::CapRecItalic),
        value("--CapRecLeft90:   ", &PosPrinter::CapRecLeft90),
        value("--CapRecNearEndSensor:   ", &PosPrinter::CapRecNearEndSensor),
        value("--CapRecPapercut:   ", &PosPrinter::CapRecPapercut),
        value("--CapRecRight90:   ", &PosPrinter::CapRecRight90),
        value("--CapRecRotate180:   ", &PosPrinter::CapRecRotate180),
        value("--CapRecStamp:   ", &PosPrinter::CapRecStamp),
        value("--CapRecUnderline:   ", &PosPrinter::CapRecUnderline),
        fixed("Properties that may change"),
        fixed("during printer use."),
        empty(),
        value("--CharacterSet:   ", &PosPrinter::CharacterSet),
        value("--CharacterSetList:   ", &PosPrinter::CharacterSetList),
        value("--CoverOpen:   ", &PosPrinter::CoverOpen),
        value("--ErrorLevel:   ", &PosPrinter::ErrorLevel),
        value("--ErrorStation:   ", &PosPrinter::ErrorStation),
        value("--ErrorString:   ", &PosPrinter::ErrorString),
        value("--FlagWhenIdle:   ", &PosPrinter::FlagWhenIdle),
        value("--FontTypefaceList:   ", &PosPrinter::FontTypefaceList),
        empty(),
        fixed("-----------------------------"),
        empty(),
        value("--RecLetterQuality:   ", &PosPrinter::RecLetterQuality),
        value("--RecLineChars:   ", &PosPrinter::RecLineChars),
        value("--RecLineCharsList:   ", &PosPrinter::RecLineCharsList),
        value("--RecLineHeight:   ", &PosPrinter::RecLineHeight),
        value("--RecLineSpacing:   ", &PosPrinter::RecLineSpacing),
        value("--RecLineWidth:   ", &PosPrinter::RecLineWidth),
        value("--RecEmpty:   ", &PosPrinter::RecEmpty),
        value("--RecNearEnd:   ", &PosPrinter::RecNearEnd),
        value("--RecSidewaysMaxChars:   ", &PosPrinter::RecSidewaysMaxChars),
        value("--RecSidewaysMaxLines:   ", &PosPrinter::RecSidewaysMaxLines),
        value("--RecBarCodeRotationList:   ", &PosPrinter::RecBarCodeRotationList),
        value("--RecLinesToPaperCut:   ", &PosPrinter::RecLinesToPaperCut),
        value("--RotateSpecial:   ", &PosPrinter::RotateSpecial),
        value("--MapMode:   ", &PosPrinter::MapMode),
        empty(),
        fixed("End of Test"),
    };
    return rows;
}

int PropertyReport::lineCount() {
    int lines = 0;
    for (const Row& row : script())
        lines += row.value ? 2 : 1;
    return lines;
}

void PropertyReport::run(opos::PosPrinter& printer, const PrintLine& printLine) {
    for (const Row& row : script()) {
        if (row.healthLevel != 0)
            printer.CheckHealth(row.healthLevel);
        printLine(row.text);
        if (row.value)
            printLine(row.value(printer));
    }
}
