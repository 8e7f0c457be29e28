#include "fakeposprinter.h"

#include "opos/controlfactory.h"
#include "opos/oposconstants.h"

QString quoted(const QString& data) {
    QString text = QStringLiteral("\"");
    for (QChar c : data) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            text += QStringLiteral("<%1>").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            text += c;
    }
    return text + u'"';
}

QString FakePosPrinter::shown(const QString& value) {
    return quoted(value);
}

void FakePosPrinter::install() {
    opos::ControlFactory::setPosPrinterCreator([] {
        auto fake = std::make_unique<FakePosPrinter>();
        created().append(fake.get());
        return std::unique_ptr<opos::PosPrinter>(std::move(fake));
    });
}

QList<QPointer<FakePosPrinter>>& FakePosPrinter::created() {
    static QList<QPointer<FakePosPrinter>> fakes;
    return fakes;
}

QVariant FakePosPrinter::read(const QString& name) const {
    calls.append(name + QStringLiteral("()"));
    return values.value(name);
}

qint32 FakePosPrinter::answer(const QString& method, const QString& call) {
    calls.append(call);
    resultCode = results.value(method, defaultResult);
    return resultCode;
}

qint32 FakePosPrinter::Open(const QString& DeviceName) {
    const qint32 code = answer(QStringLiteral("Open"), QStringLiteral("Open(%1)").arg(quoted(DeviceName)));
    if (code == opos::OPOS_SUCCESS)
        state = opos::OPOS_S_IDLE;
    return code;
}

qint32 FakePosPrinter::Claim(qint32 Timeout) {
    return answer(QStringLiteral("Claim"), QStringLiteral("Claim(%1)").arg(Timeout));
}

qint32 FakePosPrinter::ReleaseDevice() {
    return answer(QStringLiteral("ReleaseDevice"), QStringLiteral("ReleaseDevice()"));
}

qint32 FakePosPrinter::Close() {
    const qint32 code = answer(QStringLiteral("Close"), QStringLiteral("Close()"));
    if (code == opos::OPOS_SUCCESS)
        state = opos::OPOS_S_CLOSED;
    return code;
}

qint32 FakePosPrinter::CheckHealth(qint32 Level) {
    values.insert(QStringLiteral("CheckHealthText"), QStringLiteral("Health check %1 done").arg(Level));
    return answer(QStringLiteral("CheckHealth"), QStringLiteral("CheckHealth(%1)").arg(Level));
}

qint32 FakePosPrinter::PrintNormal(qint32 Station, const QString& Data) {
    values.insert(QStringLiteral("OutputID"), values.value(QStringLiteral("OutputID")).toInt() + 1);
    return answer(QStringLiteral("PrintNormal"),
                  QStringLiteral("PrintNormal(%1,%2)").arg(Station).arg(quoted(Data)));
}

qint32 FakePosPrinter::RotatePrint(qint32 Station, qint32 Rotation) {
    return answer(QStringLiteral("RotatePrint"),
                  QStringLiteral("RotatePrint(%1,%2)").arg(Station).arg(Rotation));
}

qint32 FakePosPrinter::CutPaper(qint32 Percentage) {
    return answer(QStringLiteral("CutPaper"), QStringLiteral("CutPaper(%1)").arg(Percentage));
}

qint32 FakePosPrinter::PrintBarCode(qint32 Station, const QString& Data, qint32 Symbology, qint32 Height,
                                    qint32 Width, qint32 Alignment, qint32 TextPosition) {
    return answer(QStringLiteral("PrintBarCode"), QStringLiteral("PrintBarCode(%1,%2,%3,%4,%5,%6,%7)")
                                                      .arg(Station)
                                                      .arg(quoted(Data))
                                                      .arg(Symbology)
                                                      .arg(Height)
                                                      .arg(Width)
                                                      .arg(Alignment)
                                                      .arg(TextPosition));
}

qint32 FakePosPrinter::SetBitmap(qint32 BitmapNumber, qint32 Station, const QString& FileName, qint32 Width,
                                 qint32 Alignment) {
    return answer(QStringLiteral("SetBitmap"), QStringLiteral("SetBitmap(%1,%2,%3,%4,%5)")
                                                   .arg(BitmapNumber)
                                                   .arg(Station)
                                                   .arg(quoted(FileName))
                                                   .arg(Width)
                                                   .arg(Alignment));
}

qint32 FakePosPrinter::PrintBitmap(qint32 Station, const QString& FileName, qint32 Width, qint32 Alignment) {
    return answer(QStringLiteral("PrintBitmap"), QStringLiteral("PrintBitmap(%1,%2,%3,%4)")
                                                     .arg(Station)
                                                     .arg(quoted(FileName))
                                                     .arg(Width)
                                                     .arg(Alignment));
}

void FakePosPrinter::setDeviceEnabled(bool enabled) {
    answer(QStringLiteral("DeviceEnabled"),
           QStringLiteral("setDeviceEnabled(%1)")
               .arg(enabled ? QStringLiteral("true") : QStringLiteral("false")));
}

void FakePosPrinter::setAsyncMode(bool async) {
    answer(QStringLiteral("AsyncMode"),
           QStringLiteral("setAsyncMode(%1)").arg(async ? QStringLiteral("true") : QStringLiteral("false")));
}

void FakePosPrinter::setPowerNotify(qint32 PowerNotify) {
    answer(QStringLiteral("PowerNotify"), QStringLiteral("setPowerNotify(%1)").arg(PowerNotify));
}

qint32 FakePosPrinter::ResultCode() const {
    calls.append(QStringLiteral("ResultCode()"));
    return resultCode;
}

qint32 FakePosPrinter::ResultCodeExtended() const {
    calls.append(QStringLiteral("ResultCodeExtended()"));
    return resultCodeExtended;
}

qint32 FakePosPrinter::State() const {
    calls.append(QStringLiteral("State()"));
    return state;
}
