#pragma once

#include "callrecorder.h"
#include "opos/posprinter.h"

// A POS printer control that records every call, as CallRecorder says. A successful Open makes
// the state idle, a successful Close closed; CheckHealth leaves its text in CheckHealthText, and
// every PrintNormal raises OutputID by one, as an asynchronous control would.
class FakePosPrinter : public opos::PosPrinter, public CallRecorder, public MadeFakes<FakePosPrinter> {
    Q_OBJECT
public:
    FakePosPrinter() : CallRecorder(QStringLiteral("printer")) {}

    qint32 resultCodeExtended = 0;

    // Installs a creator that makes a new fake for every window load, each noting its calls in `log`.
    static void install(const CallLog& log = {});

    qint32 Open(const QString& DeviceName) override { return opened(recorded("Open", DeviceName)); }
    qint32 Claim(qint32 Timeout) override { return recorded("Claim", Timeout); }
    qint32 ReleaseDevice() override { return recorded("ReleaseDevice"); }
    qint32 Close() override { return closed(recorded("Close")); }
    qint32 CheckHealth(qint32 Level) override;
    qint32 PrintNormal(qint32 Station, const QString& Data) override;
    qint32 RotatePrint(qint32 Station, qint32 Rotation) override {
        return recorded("RotatePrint", Station, Rotation);
    }
    qint32 CutPaper(qint32 Percentage) override { return recorded("CutPaper", Percentage); }
    qint32 PrintBarCode(qint32 Station, const QString& Data, qint32 Symbology, qint32 Height, qint32 Width,
                        qint32 Alignment, qint32 TextPosition) override {
        return recorded("PrintBarCode", Station, Data, Symbology, Height, Width, Alignment, TextPosition);
    }
    qint32 SetBitmap(qint32 BitmapNumber, qint32 Station, const QString& FileName, qint32 Width,
                     qint32 Alignment) override {
        return recorded("SetBitmap", BitmapNumber, Station, FileName, Width, Alignment);
    }
    qint32 PrintBitmap(qint32 Station, const QString& FileName, qint32 Width, qint32 Alignment) override {
        return recorded("PrintBitmap", Station, FileName, Width, Alignment);
    }

    void setDeviceEnabled(bool enabled) override { recordedSet("DeviceEnabled", enabled); }
    void setAsyncMode(bool async) override { recordedSet("AsyncMode", async); }
    void setPowerNotify(qint32 PowerNotify) override { recordedSet("PowerNotify", PowerNotify); }

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

    qint32 ResultCode() const override { return readResultCode(); }
    qint32 ResultCodeExtended() const override;
    qint32 State() const override { return readState(); }

    POSLING_FAKE_READ(QString, CheckHealthText)
    POSLING_FAKE_READ(QString, ControlObjectDescription)
    POSLING_FAKE_READ(qint32, ControlObjectVersion)
    POSLING_FAKE_READ(QString, ServiceObjectDescription)
    POSLING_FAKE_READ(qint32, ServiceObjectVersion)
    POSLING_FAKE_READ(QString, DeviceDescription)
    POSLING_FAKE_READ(QString, DeviceName)
    POSLING_FAKE_READ(bool, FreezeEvents)
    POSLING_FAKE_READ(qint32, OutputID)
    POSLING_FAKE_READ(bool, AsyncMode)
    POSLING_FAKE_READ(qint32, CapPowerReporting)
    POSLING_FAKE_READ(qint32, PowerNotify)
    POSLING_FAKE_READ(qint32, PowerState)
    POSLING_FAKE_READ(qint32, CapCharacterSet)
    POSLING_FAKE_READ(bool, CapConcurrentJrnRec)
    POSLING_FAKE_READ(bool, CapConcurrentJrnSlp)
    POSLING_FAKE_READ(bool, CapConcurrentRecSlp)
    POSLING_FAKE_READ(bool, CapCoverSensor)
    POSLING_FAKE_READ(bool, CapTransaction)
    POSLING_FAKE_READ(bool, CapRecPresent)
    POSLING_FAKE_READ(bool, CapRec2Color)
    POSLING_FAKE_READ(bool, CapRecBarCode)
    POSLING_FAKE_READ(bool, CapRecBitmap)
    POSLING_FAKE_READ(bool, CapRecBold)
    POSLING_FAKE_READ(bool, CapRecDhigh)
    POSLING_FAKE_READ(bool, CapRecDwide)
    POSLING_FAKE_READ(bool, CapRecDwideDhigh)
    POSLING_FAKE_READ(bool, CapRecEmptySensor)
    POSLING_FAKE_READ(bool, CapRecItalic)
    POSLING_FAKE_READ(bool, CapRecLeft90)
    POSLING_FAKE_READ(bool, CapRecNearEndSensor)
    POSLING_FAKE_READ(bool, CapRecPapercut)
    POSLING_FAKE_READ(bool, CapRecRight90)
    POSLING_FAKE_READ(bool, CapRecRotate180)
    POSLING_FAKE_READ(bool, CapRecStamp)
    POSLING_FAKE_READ(bool, CapRecUnderline)
    POSLING_FAKE_READ(qint32, CharacterSet)
    POSLING_FAKE_READ(QString, CharacterSetList)
    POSLING_FAKE_READ(bool, CoverOpen)
    POSLING_FAKE_READ(qint32, ErrorLevel)
    POSLING_FAKE_READ(qint32, ErrorStation)
    POSLING_FAKE_READ(QString, ErrorString)
    POSLING_FAKE_READ(bool, FlagWhenIdle)
    POSLING_FAKE_READ(QString, FontTypefaceList)
    POSLING_FAKE_READ(bool, RecLetterQuality)
    POSLING_FAKE_READ(qint32, RecLineChars)
    POSLING_FAKE_READ(QString, RecLineCharsList)
    POSLING_FAKE_READ(qint32, RecLineHeight)
    POSLING_FAKE_READ(qint32, RecLineSpacing)
    POSLING_FAKE_READ(qint32, RecLineWidth)
    POSLING_FAKE_READ(bool, RecEmpty)
    POSLING_FAKE_READ(bool, RecNearEnd)
    POSLING_FAKE_READ(qint32, RecSidewaysMaxChars)
    POSLING_FAKE_READ(qint32, RecSidewaysMaxLines)
    POSLING_FAKE_READ(QString, RecBarCodeRotationList)
    POSLING_FAKE_READ(qint32, RecLinesToPaperCut)
    POSLING_FAKE_READ(qint32, RotateSpecial)
    POSLING_FAKE_READ(qint32, MapMode)
    POSLING_FAKE_READ(qint32, OpenResult)
    POSLING_FAKE_READ(bool, Claimed)
    POSLING_FAKE_READ(bool, DeviceEnabled)
    POSLING_FAKE_READ(qint32, BinaryConversion)
    POSLING_FAKE_READ(bool, CapRecMarkFeed)
    POSLING_FAKE_READ(qint32, CapRecCartridgeSensor)
    POSLING_FAKE_READ(qint32, CapRecColor)
    POSLING_FAKE_READ(bool, CapMapCharacterSet)
    POSLING_FAKE_READ(bool, CapStatisticsReporting)
    POSLING_FAKE_READ(bool, CapUpdateStatistics)
    POSLING_FAKE_READ(bool, MapCharacterSet)
    POSLING_FAKE_READ(QString, RecBitmapRotationList)
    POSLING_FAKE_READ(qint32, CartridgeNotify)
    POSLING_FAKE_READ(qint32, RecCartridgeState)
    POSLING_FAKE_READ(qint32, RecCurrentCartridge)

protected:
    void refuseAbsentStation(const char* property) override {
        answer(QLatin1String(property),
               QStringLiteral("refuseAbsentStation(%1)").arg(QLatin1String(property)));
    }
};
