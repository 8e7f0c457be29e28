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
    Q_INVOKABLE virtual qint32 PrintBarCode(qint32 Station, const QString& Data, qint32 Symbology, qint32 Height,
                                qint32 Width, qint32 Alignment, qint32 TextPosition) = 0;
    Q_INVOKABLE virtual qint32 SetBitmap(qint32 BitmapNumber, qint32 Station, const QString& FileName, qint32 Width,
                             qint32 Alignment) = 0;
    Q_INVOKABLE virtual qint32 PrintBitmap(qint32 Station, const QString& FileName, qint32 Width, qint32 Alignment) = 0;

    // Writable properties; the outcome of a set is read from ResultCode.
    Q_INVOKABLE virtual void setDeviceEnabled(bool enabled) = 0;
    Q_INVOKABLE virtual void setAsyncMode(bool async) = 0;
    Q_INVOKABLE virtual void setPowerNotify(qint32 PowerNotify) = 0; // only while disabled

    // Results and state.
    Q_INVOKABLE virtual qint32 ResultCode() const = 0;
    Q_INVOKABLE virtual qint32 ResultCodeExtended() const = 0;
    Q_INVOKABLE virtual qint32 State() const = 0;
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

Q_SIGNALS:
    // The handler may read and write *pErrorResponse; the control acts on what it holds afterwards.
    void ErrorEvent(qint32 ResultCode, qint32 ResultCodeExtended, qint32 ErrorLocus, qint32* pErrorResponse);
    void StatusUpdateEvent(qint32 Data);
    void OutputCompleteEvent(qint32 OutputID);
};

} // namespace opos
