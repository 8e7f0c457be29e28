#include "fakeposprinter.h"

#include "opos/controlfactory.h"

void FakePosPrinter::install(const CallLog& log) {
    opos::ControlFactory::setPosPrinterCreator(
        [log] { return std::unique_ptr<opos::PosPrinter>(make(log)); });
}

qint32 FakePosPrinter::CheckHealth(qint32 Level) {
    values.insert(QStringLiteral("CheckHealthText"), QStringLiteral("Health check %1 done").arg(Level));
    return recorded("CheckHealth", Level);
}

qint32 FakePosPrinter::PrintNormal(qint32 Station, const QString& Data) {
    values.insert(QStringLiteral("OutputID"), values.value(QStringLiteral("OutputID")).toInt() + 1);
    return recorded("PrintNormal", Station, Data);
}

qint32 FakePosPrinter::ResultCodeExtended() const {
    calls.append(QStringLiteral("ResultCodeExtended()"));
    return resultCodeExtended;
}
