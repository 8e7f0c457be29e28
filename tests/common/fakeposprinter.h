#pragma once

#include "opos/posprinter.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QVariant>

// A POS printer control that records every call, property set and property read, in order, as
// text such as PrintNormal(2,"abc<0D><0A>") or State(). Methods answer with `results[name]`
// (default `defaultResult`); a successful Open makes the state idle, a successful Close closed.
// Property reads answer from `values` (missing: false, 0, empty). Every PrintNormal raises
// OutputID by one, as an asynchronous control would.
class FakePosPrinter : public opos::PosPrinter {
    Q_OBJECT
public:
    mutable QStringList calls;
    QHash<QString, qint32> results;
    qint32 defaultResult = 0;
    QVariantHash values;
    qint32 state = 1;
    qint32 resultCode = 0;
    qint32 resultCodeExtended = 0;

    // Installs a creator that makes a new fake for every window load.
    static void install();
    // Every fake the creator made, oldest first; windows own them, so destroyed ones read null.
    static QList<QPointer<FakePosPrinter>>& created();
    static FakePosPrinter* last() { return created().isEmpty() ? nullptr : created().last().data(); }

    QStringList takeCalls() { return std::exchange(calls, {}); }

    qint32 Open(const QString& DeviceName) override;
    qint32 Claim(qint32 Timeout) override;
    qint32 ReleaseDevice() override;
    qint32 Close() override;
    qint32 CheckHealth(qint32 Level) override;
    qint32 PrintNormal(qint32 Station, const QString& Data) override;
    qint32 RotatePrint(qint32 Station, qint32 Rotation) override;
    qint32 CutPaper(qint32 Percentage) override;
    qint32 PrintBarCode(qint32 Station, const QString& Data, qint32 Symbology, qint32 Height, qint32 Width,
                        qint32 Alignment, qint32 TextPosition) override;
    qint32 SetBitmap(qint32 BitmapNumber, qint32 Station, const QString& FileName, qint32 Width,
                     qint32 Alignment) override;
    qint32 PrintBitmap(qint32 Station, const QString& FileName, qint32 Width, qint32 Alignment) override;

    void setDeviceEnabled(bool enabled) override;
    void setAsyncMode(bool async) override;
    void setPowerNotify(qint32 PowerNotify) override;

    // The calls no window makes, recorded the same way.
    qint32 ClaimDevice(qint32 Timeout) override { return recorded("ClaimDevice", Timeout); }
    qint32 ClearOutput() override { return recorded("ClearOutput"); }
    qint32 PrintImmediate(qint32 Station, const QString& Data) override {
        return recorded("PrintImmediate", Station, Data);
    }
    qint32 PrintTwoNormal(qint32 Stations, const QString& Data1, const QString& Data2) override {
        return recorded("PrintTwoNormal", Stations, Data1, Data2);
    }
    qint32 TransactionPrint(qint32 Station, qint32 Control) override {
        return recorded("TransactionPrint", Station, Control);
    }
    qint32 ValidateData(qint32 Station, const QString& Data) override {
        return recorded("ValidateData", Station, Data);
    }
    qint32 SetLogo(qint32 Location, const QString& Data) override {
        return recorded("SetLogo", Location, Data);
    }
    qint32 MarkFeed(qint32 Type) override { return recorded("MarkFeed", Type); }
    qint32 ResetStatistics(const QString& StatisticsBuffer) override {
        return recorded("ResetStatistics", StatisticsBuffer);
    }
    qint32 UpdateStatistics(const QString& StatisticsBuffer) override {
        return recorded("UpdateStatistics", StatisticsBuffer);
    }
    qint32 BeginInsertion(qint32 Timeout) override { return recorded("BeginInsertion", Timeout); }
    qint32 EndInsertion() override { return recorded("EndInsertion"); }
    qint32 BeginRemoval(qint32 Timeout) override { return recorded("BeginRemoval", Timeout); }
    qint32 EndRemoval() override { return recorded("EndRemoval"); }
    qint32 ChangePrintSide(qint32 Side) override { return recorded("ChangePrintSide", Side); }
    qint32 DirectIO(qint32 Command, qint32& pData, QString& pString) override {
        return recorded("DirectIO", Command, pData, pString);
    }
    qint32 RetrieveStatistics(QString& pStatisticsBuffer) override {
        pStatisticsBuffer = values.value(QStringLiteral("Statistics")).toString();
        return recorded("RetrieveStatistics");
    }
    void setFreezeEvents(bool FreezeEvents) override { recordedSet("FreezeEvents", FreezeEvents); }
    void setFlagWhenIdle(bool FlagWhenIdle) override { recordedSet("FlagWhenIdle", FlagWhenIdle); }
    void setBinaryConversion(qint32 BinaryConversion) override {
        recordedSet("BinaryConversion", BinaryConversion);
    }
    void setCharacterSet(qint32 CharacterSet) override { recordedSet("CharacterSet", CharacterSet); }
    void setMapMode(qint32 MapMode) override { recordedSet("MapMode", MapMode); }
    void setMapCharacterSet(bool MapCharacterSet) override {
        recordedSet("MapCharacterSet", MapCharacterSet);
    }
    void setRotateSpecial(qint32 RotateSpecial) override { recordedSet("RotateSpecial", RotateSpecial); }
    void setCartridgeNotify(qint32 CartridgeNotify) override {
        recordedSet("CartridgeNotify", CartridgeNotify);
    }
    void setRecLetterQuality(bool RecLetterQuality) override {
        recordedSet("RecLetterQuality", RecLetterQuality);
    }
    void setRecLineChars(qint32 RecLineChars) override { recordedSet("RecLineChars", RecLineChars); }
    void setRecLineHeight(qint32 RecLineHeight) override { recordedSet("RecLineHeight", RecLineHeight); }
    void setRecLineSpacing(qint32 RecLineSpacing) override { recordedSet("RecLineSpacing", RecLineSpacing); }
    void setRecCurrentCartridge(qint32 RecCurrentCartridge) override {
        recordedSet("RecCurrentCartridge", RecCurrentCartridge);
    }

    qint32 ResultCode() const override;
    qint32 ResultCodeExtended() const override;
    qint32 State() const override;

#define POSLING_FAKE_GET(Type, Name, Convert)                                                                \
    Type Name() const override {                                                                             \
        return read(QStringLiteral(#Name)).Convert();                                                        \
    }
#define POSLING_FAKE_BOOL(Name) POSLING_FAKE_GET(bool, Name, toBool)
#define POSLING_FAKE_LONG(Name) POSLING_FAKE_GET(qint32, Name, toInt)
#define POSLING_FAKE_STRING(Name) POSLING_FAKE_GET(QString, Name, toString)
    POSLING_FAKE_STRING(CheckHealthText)
    POSLING_FAKE_STRING(ControlObjectDescription)
    POSLING_FAKE_LONG(ControlObjectVersion)
    POSLING_FAKE_STRING(ServiceObjectDescription)
    POSLING_FAKE_LONG(ServiceObjectVersion)
    POSLING_FAKE_STRING(DeviceDescription)
    POSLING_FAKE_STRING(DeviceName)
    POSLING_FAKE_BOOL(FreezeEvents)
    POSLING_FAKE_LONG(OutputID)
    POSLING_FAKE_BOOL(AsyncMode)
    POSLING_FAKE_LONG(CapPowerReporting)
    POSLING_FAKE_LONG(PowerNotify)
    POSLING_FAKE_LONG(PowerState)
    POSLING_FAKE_LONG(CapCharacterSet)
    POSLING_FAKE_BOOL(CapConcurrentJrnRec)
    POSLING_FAKE_BOOL(CapConcurrentJrnSlp)
    POSLING_FAKE_BOOL(CapConcurrentRecSlp)
    POSLING_FAKE_BOOL(CapCoverSensor)
    POSLING_FAKE_BOOL(CapTransaction)
    POSLING_FAKE_BOOL(CapRecPresent)
    POSLING_FAKE_BOOL(CapRec2Color)
    POSLING_FAKE_BOOL(CapRecBarCode)
    POSLING_FAKE_BOOL(CapRecBitmap)
    POSLING_FAKE_BOOL(CapRecBold)
    POSLING_FAKE_BOOL(CapRecDhigh)
    POSLING_FAKE_BOOL(CapRecDwide)
    POSLING_FAKE_BOOL(CapRecDwideDhigh)
    POSLING_FAKE_BOOL(CapRecEmptySensor)
    POSLING_FAKE_BOOL(CapRecItalic)
    POSLING_FAKE_BOOL(CapRecLeft90)
    POSLING_FAKE_BOOL(CapRecNearEndSensor)
    POSLING_FAKE_BOOL(CapRecPapercut)
    POSLING_FAKE_BOOL(CapRecRight90)
    POSLING_FAKE_BOOL(CapRecRotate180)
    POSLING_FAKE_BOOL(CapRecStamp)
    POSLING_FAKE_BOOL(CapRecUnderline)
    POSLING_FAKE_LONG(CharacterSet)
    POSLING_FAKE_STRING(CharacterSetList)
    POSLING_FAKE_BOOL(CoverOpen)
    POSLING_FAKE_LONG(ErrorLevel)
    POSLING_FAKE_LONG(ErrorStation)
    POSLING_FAKE_STRING(ErrorString)
    POSLING_FAKE_BOOL(FlagWhenIdle)
    POSLING_FAKE_STRING(FontTypefaceList)
    POSLING_FAKE_BOOL(RecLetterQuality)
    POSLING_FAKE_LONG(RecLineChars)
    POSLING_FAKE_STRING(RecLineCharsList)
    POSLING_FAKE_LONG(RecLineHeight)
    POSLING_FAKE_LONG(RecLineSpacing)
    POSLING_FAKE_LONG(RecLineWidth)
    POSLING_FAKE_BOOL(RecEmpty)
    POSLING_FAKE_BOOL(RecNearEnd)
    POSLING_FAKE_LONG(RecSidewaysMaxChars)
    POSLING_FAKE_LONG(RecSidewaysMaxLines)
    POSLING_FAKE_STRING(RecBarCodeRotationList)
    POSLING_FAKE_LONG(RecLinesToPaperCut)
    POSLING_FAKE_LONG(RotateSpecial)
    POSLING_FAKE_LONG(MapMode)
    POSLING_FAKE_LONG(OpenResult)
    POSLING_FAKE_BOOL(Claimed)
    POSLING_FAKE_BOOL(DeviceEnabled)
    POSLING_FAKE_LONG(BinaryConversion)
    POSLING_FAKE_BOOL(CapRecMarkFeed)
    POSLING_FAKE_LONG(CapRecCartridgeSensor)
    POSLING_FAKE_LONG(CapRecColor)
    POSLING_FAKE_BOOL(CapMapCharacterSet)
    POSLING_FAKE_BOOL(CapStatisticsReporting)
    POSLING_FAKE_BOOL(CapUpdateStatistics)
    POSLING_FAKE_BOOL(MapCharacterSet)
    POSLING_FAKE_STRING(RecBitmapRotationList)
    POSLING_FAKE_LONG(CartridgeNotify)
    POSLING_FAKE_LONG(RecCartridgeState)
    POSLING_FAKE_LONG(RecCurrentCartridge)
#undef POSLING_FAKE_STRING
#undef POSLING_FAKE_LONG
#undef POSLING_FAKE_BOOL
#undef POSLING_FAKE_GET

protected:
    void refuseAbsentStation(const char* property) override {
        answer(QLatin1String(property),
               QStringLiteral("refuseAbsentStation(%1)").arg(QLatin1String(property)));
    }

private:
    static QString shown(qint32 value) {
        return QString::number(value);
    }
    static QString shown(bool value) {
        return value ? QStringLiteral("true") : QStringLiteral("false");
    }
    static QString shown(const QString& value);
    // Answers as `results[method]` and records method(arguments).
    template <typename... Arguments> qint32 recorded(const char* method, const Arguments&... arguments) {
        const QStringList shownArguments{shown(arguments)...};
        return answer(QLatin1String(method), QLatin1String(method) + u'(' + shownArguments.join(u',') + u')');
    }
    // A property set answers as `results[property]` and records setProperty(value).
    template <typename Value> void recordedSet(const char* property, const Value& value) {
        answer(QLatin1String(property),
               QStringLiteral("set%1(%2)").arg(QLatin1String(property), shown(value)));
    }
    QVariant read(const QString& name) const;
    qint32 answer(const QString& method, const QString& call);
};

// Shows print data with its control characters as <HH>, so recorded calls compare exactly.
QString quoted(const QString& data);
