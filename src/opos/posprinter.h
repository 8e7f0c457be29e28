#pragma once

#include <QObject>
#include <QString>

namespace opos {

// The OPOS 1.8 POS printer control as the windows and plans see it. Every method answers with a
// result code (and stores it in ResultCode); a property set stores its outcome in ResultCode;
// property gets never fail and give their defaults on a closed control. Nothing here throws.
// Events are delivered from the event loop, on the thread of the control. Every method and
// property read is invokable by name, and a property set as setNAME, so a plan reaches them all.
class PosPrinter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~PosPrinter() override = default;

    // Methods.
    Q_INVOKABLE virtual qint32 Open(const QString& DeviceName) = 0;
    Q_INVOKABLE virtual qint32 Claim(qint32 Timeout) = 0;
    Q_INVOKABLE virtual qint32 ReleaseDevice() = 0;
    Q_INVOKABLE virtual qint32 Close() = 0;
    Q_INVOKABLE virtual qint32 CheckHealth(qint32 Level) = 0;
    Q_INVOKABLE virtual qint32 PrintNormal(qint32 Station, const QString& Data) = 0;
    Q_INVOKABLE virtual qint32 RotatePrint(qint32 Station, qint32 Rotation) = 0;
    Q_INVOKABLE virtual qint32 CutPaper(qint32 Percentage) = 0;
    Q_INVOKABLE virtual qint32 PrintBarCode(qint32 Station, const QString& Data, qint32 Symbology,
                                            qint32 Height, qint32 Width, qint32 Alignment,
                                            qint32 TextPosition) = 0;
    Q_INVOKABLE virtual qint32 SetBitmap(qint32 BitmapNumber, qint32 Station, const QString& FileName,
                                         qint32 Width, qint32 Alignment) = 0;
    Q_INVOKABLE virtual qint32 PrintBitmap(qint32 Station, const QString& FileName, qint32 Width,
                                           qint32 Alignment) = 0;
    Q_INVOKABLE virtual qint32 ClaimDevice(qint32 Timeout) = 0; // Claim under its 1.5 name
    Q_INVOKABLE virtual qint32 ClearOutput() = 0;
    Q_INVOKABLE virtual qint32 PrintImmediate(qint32 Station, const QString& Data) = 0;
    Q_INVOKABLE virtual qint32 PrintTwoNormal(qint32 Stations, const QString& Data1,
                                              const QString& Data2) = 0;
    Q_INVOKABLE virtual qint32 TransactionPrint(qint32 Station, qint32 Control) = 0;
    Q_INVOKABLE virtual qint32 ValidateData(qint32 Station, const QString& Data) = 0;
    Q_INVOKABLE virtual qint32 SetLogo(qint32 Location, const QString& Data) = 0;
    Q_INVOKABLE virtual qint32 MarkFeed(qint32 Type) = 0;
    Q_INVOKABLE virtual qint32 DirectIO(qint32 Command, qint32& pData, QString& pString) = 0;
    Q_INVOKABLE virtual qint32 ResetStatistics(const QString& StatisticsBuffer) = 0;
    Q_INVOKABLE virtual qint32 RetrieveStatistics(QString& pStatisticsBuffer) = 0;
    Q_INVOKABLE virtual qint32 UpdateStatistics(const QString& StatisticsBuffer) = 0;
    // The slip station's methods; a printer without a slip station refuses them.
    Q_INVOKABLE virtual qint32 BeginInsertion(qint32 Timeout) = 0;
    Q_INVOKABLE virtual qint32 EndInsertion() = 0;
    Q_INVOKABLE virtual qint32 BeginRemoval(qint32 Timeout) = 0;
    Q_INVOKABLE virtual qint32 EndRemoval() = 0;
    Q_INVOKABLE virtual qint32 ChangePrintSide(qint32 Side) = 0;

    // Writable properties; the outcome of a set is read from ResultCode.
    Q_INVOKABLE virtual void setDeviceEnabled(bool enabled) = 0;
    Q_INVOKABLE virtual void setAsyncMode(bool async) = 0;
    Q_INVOKABLE virtual void setPowerNotify(qint32 PowerNotify) = 0; // only while disabled
    Q_INVOKABLE virtual void setFreezeEvents(bool FreezeEvents) = 0;
    Q_INVOKABLE virtual void setFlagWhenIdle(bool FlagWhenIdle) = 0;
    Q_INVOKABLE virtual void setBinaryConversion(qint32 BinaryConversion) = 0;
    Q_INVOKABLE virtual void setCharacterSet(qint32 CharacterSet) = 0;
    Q_INVOKABLE virtual void setMapMode(qint32 MapMode) = 0;
    Q_INVOKABLE virtual void setMapCharacterSet(bool MapCharacterSet) = 0;
    Q_INVOKABLE virtual void setRotateSpecial(qint32 RotateSpecial) = 0;
    Q_INVOKABLE virtual void setCartridgeNotify(qint32 CartridgeNotify) = 0;
    Q_INVOKABLE virtual void setRecLetterQuality(bool RecLetterQuality) = 0;
    Q_INVOKABLE virtual void setRecLineChars(qint32 RecLineChars) = 0;
    Q_INVOKABLE virtual void setRecLineHeight(qint32 RecLineHeight) = 0;
    Q_INVOKABLE virtual void setRecLineSpacing(qint32 RecLineSpacing) = 0;
    Q_INVOKABLE virtual void setRecCurrentCartridge(qint32 RecCurrentCartridge) = 0;

    // Results and state.
    Q_INVOKABLE virtual qint32 ResultCode() const = 0;
    Q_INVOKABLE virtual qint32 ResultCodeExtended() const = 0;
    // What the control knows of the last call beyond ResultCode: why it failed (an unknown device
    // name, a connection that would not open) or what its success leaves unseen (a printer that
    // answers less); empty otherwise. Not an OPOS property.
    virtual QString ResultReason() const { return {}; }
    // What the control has learnt the printer answers (the replies it gives, its name); empty until
    // it has asked. Not an OPOS property.
    virtual QString DeviceAnswers() const { return {}; }
    Q_INVOKABLE virtual qint32 State() const = 0;
    Q_INVOKABLE virtual qint32 OpenResult() const = 0;
    Q_INVOKABLE virtual bool Claimed() const = 0;
    Q_INVOKABLE virtual bool DeviceEnabled() const = 0;
    Q_INVOKABLE virtual qint32 BinaryConversion() const = 0;
    Q_INVOKABLE virtual QString CheckHealthText() const = 0;

    // Identity and common properties.
    Q_INVOKABLE virtual QString ControlObjectDescription() const = 0;
    Q_INVOKABLE virtual qint32 ControlObjectVersion() const = 0;
    Q_INVOKABLE virtual QString ServiceObjectDescription() const = 0;
    Q_INVOKABLE virtual qint32 ServiceObjectVersion() const = 0;
    Q_INVOKABLE virtual QString DeviceDescription() const = 0;
    Q_INVOKABLE virtual QString DeviceName() const = 0;
    Q_INVOKABLE virtual bool FreezeEvents() const = 0;
    Q_INVOKABLE virtual qint32 OutputID() const = 0;
    Q_INVOKABLE virtual bool AsyncMode() const = 0;
    Q_INVOKABLE virtual qint32 CapPowerReporting() const = 0;
    Q_INVOKABLE virtual qint32 PowerNotify() const = 0;
    Q_INVOKABLE virtual qint32 PowerState() const = 0;

    // Capabilities.
    Q_INVOKABLE virtual qint32 CapCharacterSet() const = 0;
    Q_INVOKABLE virtual bool CapConcurrentJrnRec() const = 0;
    Q_INVOKABLE virtual bool CapConcurrentJrnSlp() const = 0;
    Q_INVOKABLE virtual bool CapConcurrentRecSlp() const = 0;
    Q_INVOKABLE virtual bool CapCoverSensor() const = 0;
    Q_INVOKABLE virtual bool CapTransaction() const = 0;
    Q_INVOKABLE virtual bool CapRecPresent() const = 0;
    Q_INVOKABLE virtual bool CapRec2Color() const = 0;
    Q_INVOKABLE virtual bool CapRecBarCode() const = 0;
    Q_INVOKABLE virtual bool CapRecBitmap() const = 0;
    Q_INVOKABLE virtual bool CapRecBold() const = 0;
    Q_INVOKABLE virtual bool CapRecDhigh() const = 0;
    Q_INVOKABLE virtual bool CapRecDwide() const = 0;
    Q_INVOKABLE virtual bool CapRecDwideDhigh() const = 0;
    Q_INVOKABLE virtual bool CapRecEmptySensor() const = 0;
    Q_INVOKABLE virtual bool CapRecItalic() const = 0;
    Q_INVOKABLE virtual bool CapRecLeft90() const = 0;
    Q_INVOKABLE virtual bool CapRecNearEndSensor() const = 0;
    Q_INVOKABLE virtual bool CapRecPapercut() const = 0;
    Q_INVOKABLE virtual bool CapRecRight90() const = 0;
    Q_INVOKABLE virtual bool CapRecRotate180() const = 0;
    Q_INVOKABLE virtual bool CapRecStamp() const = 0;
    Q_INVOKABLE virtual bool CapRecUnderline() const = 0;
    Q_INVOKABLE virtual bool CapRecMarkFeed() const = 0;
    Q_INVOKABLE virtual qint32 CapRecCartridgeSensor() const = 0;
    Q_INVOKABLE virtual qint32 CapRecColor() const = 0;
    Q_INVOKABLE virtual bool CapMapCharacterSet() const = 0;
    Q_INVOKABLE virtual bool CapStatisticsReporting() const = 0;
    Q_INVOKABLE virtual bool CapUpdateStatistics() const = 0;

    // Properties that change while the printer is in use.
    Q_INVOKABLE virtual qint32 CharacterSet() const = 0;
    Q_INVOKABLE virtual QString CharacterSetList() const = 0;
    Q_INVOKABLE virtual bool CoverOpen() const = 0;
    Q_INVOKABLE virtual qint32 ErrorLevel() const = 0;
    Q_INVOKABLE virtual qint32 ErrorStation() const = 0;
    Q_INVOKABLE virtual QString ErrorString() const = 0;
    Q_INVOKABLE virtual bool FlagWhenIdle() const = 0;
    Q_INVOKABLE virtual QString FontTypefaceList() const = 0;
    Q_INVOKABLE virtual bool RecLetterQuality() const = 0;
    Q_INVOKABLE virtual qint32 RecLineChars() const = 0;
    Q_INVOKABLE virtual QString RecLineCharsList() const = 0;
    Q_INVOKABLE virtual qint32 RecLineHeight() const = 0;
    Q_INVOKABLE virtual qint32 RecLineSpacing() const = 0;
    Q_INVOKABLE virtual qint32 RecLineWidth() const = 0;
    Q_INVOKABLE virtual bool RecEmpty() const = 0;
    Q_INVOKABLE virtual bool RecNearEnd() const = 0;
    Q_INVOKABLE virtual qint32 RecSidewaysMaxChars() const = 0;
    Q_INVOKABLE virtual qint32 RecSidewaysMaxLines() const = 0;
    Q_INVOKABLE virtual QString RecBarCodeRotationList() const = 0;
    Q_INVOKABLE virtual qint32 RecLinesToPaperCut() const = 0;
    Q_INVOKABLE virtual qint32 RotateSpecial() const = 0;
    Q_INVOKABLE virtual qint32 MapMode() const = 0;
    Q_INVOKABLE virtual bool MapCharacterSet() const = 0;
    Q_INVOKABLE virtual QString RecBitmapRotationList() const = 0;
    Q_INVOKABLE virtual qint32 CartridgeNotify() const = 0;
    Q_INVOKABLE virtual qint32 RecCartridgeState() const = 0;
    Q_INVOKABLE virtual qint32 RecCurrentCartridge() const = 0;

    // The journal and slip stations, as a printer without them answers: absent, and every property
    // at its default. A control for such a printer overrides them.
    Q_INVOKABLE virtual bool CapJrnPresent() const { return false; }
    Q_INVOKABLE virtual bool CapJrn2Color() const { return false; }
    Q_INVOKABLE virtual bool CapJrnBold() const { return false; }
    Q_INVOKABLE virtual bool CapJrnDhigh() const { return false; }
    Q_INVOKABLE virtual bool CapJrnDwide() const { return false; }
    Q_INVOKABLE virtual bool CapJrnDwideDhigh() const { return false; }
    Q_INVOKABLE virtual bool CapJrnEmptySensor() const { return false; }
    Q_INVOKABLE virtual bool CapJrnItalic() const { return false; }
    Q_INVOKABLE virtual bool CapJrnNearEndSensor() const { return false; }
    Q_INVOKABLE virtual bool CapJrnUnderline() const { return false; }
    Q_INVOKABLE virtual qint32 CapJrnCartridgeSensor() const { return 0; }
    Q_INVOKABLE virtual qint32 CapJrnColor() const { return 0; }
    Q_INVOKABLE virtual bool JrnEmpty() const { return false; }
    Q_INVOKABLE virtual bool JrnNearEnd() const { return false; }
    Q_INVOKABLE virtual bool JrnLetterQuality() const { return false; }
    Q_INVOKABLE virtual qint32 JrnLineChars() const { return 0; }
    Q_INVOKABLE virtual QString JrnLineCharsList() const { return {}; }
    Q_INVOKABLE virtual qint32 JrnLineHeight() const { return 0; }
    Q_INVOKABLE virtual qint32 JrnLineSpacing() const { return 0; }
    Q_INVOKABLE virtual qint32 JrnLineWidth() const { return 0; }
    Q_INVOKABLE virtual qint32 JrnCartridgeState() const { return 0; }
    Q_INVOKABLE virtual qint32 JrnCurrentCartridge() const { return 0; }
    Q_INVOKABLE virtual bool CapSlpPresent() const { return false; }
    Q_INVOKABLE virtual bool CapSlpFullslip() const { return false; }
    Q_INVOKABLE virtual bool CapSlp2Color() const { return false; }
    Q_INVOKABLE virtual bool CapSlpBarCode() const { return false; }
    Q_INVOKABLE virtual bool CapSlpBitmap() const { return false; }
    Q_INVOKABLE virtual bool CapSlpBold() const { return false; }
    Q_INVOKABLE virtual bool CapSlpDhigh() const { return false; }
    Q_INVOKABLE virtual bool CapSlpDwide() const { return false; }
    Q_INVOKABLE virtual bool CapSlpDwideDhigh() const { return false; }
    Q_INVOKABLE virtual bool CapSlpEmptySensor() const { return false; }
    Q_INVOKABLE virtual bool CapSlpItalic() const { return false; }
    Q_INVOKABLE virtual bool CapSlpLeft90() const { return false; }
    Q_INVOKABLE virtual bool CapSlpNearEndSensor() const { return false; }
    Q_INVOKABLE virtual bool CapSlpRight90() const { return false; }
    Q_INVOKABLE virtual bool CapSlpRotate180() const { return false; }
    Q_INVOKABLE virtual bool CapSlpUnderline() const { return false; }
    Q_INVOKABLE virtual bool CapSlpBothSidesPrint() const { return false; }
    Q_INVOKABLE virtual qint32 CapSlpCartridgeSensor() const { return 0; }
    Q_INVOKABLE virtual qint32 CapSlpColor() const { return 0; }
    Q_INVOKABLE virtual bool SlpEmpty() const { return false; }
    Q_INVOKABLE virtual bool SlpNearEnd() const { return false; }
    Q_INVOKABLE virtual bool SlpLetterQuality() const { return false; }
    Q_INVOKABLE virtual qint32 SlpLineChars() const { return 0; }
    Q_INVOKABLE virtual QString SlpLineCharsList() const { return {}; }
    Q_INVOKABLE virtual qint32 SlpLineHeight() const { return 0; }
    Q_INVOKABLE virtual qint32 SlpLineSpacing() const { return 0; }
    Q_INVOKABLE virtual qint32 SlpLineWidth() const { return 0; }
    Q_INVOKABLE virtual qint32 SlpLinesNearEndToEnd() const { return 0; }
    Q_INVOKABLE virtual qint32 SlpMaxLines() const { return 0; }
    Q_INVOKABLE virtual qint32 SlpSidewaysMaxChars() const { return 0; }
    Q_INVOKABLE virtual qint32 SlpSidewaysMaxLines() const { return 0; }
    Q_INVOKABLE virtual QString SlpBarCodeRotationList() const { return {}; }
    Q_INVOKABLE virtual QString SlpBitmapRotationList() const { return {}; }
    Q_INVOKABLE virtual qint32 SlpPrintSide() const { return 0; }
    Q_INVOKABLE virtual qint32 SlpCartridgeState() const { return 0; }
    Q_INVOKABLE virtual qint32 SlpCurrentCartridge() const { return 0; }
    // Their writable properties: the outcome (E_CLOSED, E_ILLEGAL, ...) goes to ResultCode.
    Q_INVOKABLE void setJrnLetterQuality(bool) { refuseAbsentStation("JrnLetterQuality"); }
    Q_INVOKABLE void setJrnLineChars(qint32) { refuseAbsentStation("JrnLineChars"); }
    Q_INVOKABLE void setJrnLineHeight(qint32) { refuseAbsentStation("JrnLineHeight"); }
    Q_INVOKABLE void setJrnLineSpacing(qint32) { refuseAbsentStation("JrnLineSpacing"); }
    Q_INVOKABLE void setJrnCurrentCartridge(qint32) { refuseAbsentStation("JrnCurrentCartridge"); }
    Q_INVOKABLE void setSlpLetterQuality(bool) { refuseAbsentStation("SlpLetterQuality"); }
    Q_INVOKABLE void setSlpLineChars(qint32) { refuseAbsentStation("SlpLineChars"); }
    Q_INVOKABLE void setSlpLineHeight(qint32) { refuseAbsentStation("SlpLineHeight"); }
    Q_INVOKABLE void setSlpLineSpacing(qint32) { refuseAbsentStation("SlpLineSpacing"); }
    Q_INVOKABLE void setSlpCurrentCartridge(qint32) { refuseAbsentStation("SlpCurrentCartridge"); }

protected:
    // A set of a journal or slip property on a printer without that station.
    virtual void refuseAbsentStation(const char* property) = 0;

Q_SIGNALS:
    // The handler may read and write *pErrorResponse; the control acts on what it holds afterwards.
    void ErrorEvent(qint32 ResultCode, qint32 ResultCodeExtended, qint32 ErrorLocus, qint32* pErrorResponse);
    void StatusUpdateEvent(qint32 Data);
    void OutputCompleteEvent(qint32 OutputID);
};

} // namespace opos
