#pragma once

#include "device/control/controlcore.h"
#include "device/control/faultrecovery.h"
#include "device/control/outputsubmitter.h"
#include "device/control/receiptcomposer.h"
#include "device/control/statusreporter.h"
#include "opos/controlfactory.h"
#include "opos/posprinter.h"

#include <optional>

namespace device {

// Our OPOS 1.8 POS printer control: the receipt station of an ESC/POS printer named in the device
// registry. Exclusive use: enabling needs a claim; the claim opens the connection.
//
// The contract's face over the parts that do the work: the control core (the lifecycle OPOS makes
// common), the receipt composer (a call's bytes), the output submitter (queue, waits,
// transactions), the status reporter (status to properties and events) and fault recovery (retry
// or clear after an ErrorEvent). Here each call makes the checks OPOS puts in front of it, in the
// standard's order, and hands on.
class PosPrinterControl : public opos::PosPrinter, private ControlCore::Device {
    Q_OBJECT
public:
    explicit PosPrinterControl(const opos::HostServices& services = {}, QObject* parent = nullptr);
    ~PosPrinterControl() override;

    qint32 Open(const QString& DeviceName) override;
    qint32 Claim(qint32 Timeout) override { return m_core.claim("Claim", Timeout); }
    qint32 ReleaseDevice() override { return m_core.release(); }
    qint32 Close() override { return m_core.close(); }
    qint32 CheckHealth(qint32 Level) override;
    qint32 PrintNormal(qint32 Station, const QString& Data) override;
    qint32 RotatePrint(qint32 Station, qint32 Rotation) override;
    qint32 CutPaper(qint32 Percentage) override;
    qint32 PrintBarCode(qint32 Station, const QString& Data, qint32 Symbology, qint32 Height, qint32 Width,
                        qint32 Alignment, qint32 TextPosition) override;
    qint32 SetBitmap(qint32 BitmapNumber, qint32 Station, const QString& FileName, qint32 Width,
                     qint32 Alignment) override;
    qint32 PrintBitmap(qint32 Station, const QString& FileName, qint32 Width, qint32 Alignment) override;
    qint32 ClaimDevice(qint32 Timeout) override { return m_core.claim("ClaimDevice", Timeout); }
    qint32 ClearOutput() override;
    qint32 PrintImmediate(qint32 Station, const QString& Data) override;
    qint32 PrintTwoNormal(qint32 Stations, const QString& Data1, const QString& Data2) override;
    qint32 TransactionPrint(qint32 Station, qint32 Control) override;
    qint32 ValidateData(qint32 Station, const QString& Data) override;
    qint32 SetLogo(qint32 Location, const QString& Data) override;
    qint32 MarkFeed(qint32 Type) override;
    qint32 DirectIO(qint32 Command, qint32& pData, QString& pString) override;
    qint32 ResetStatistics(const QString& StatisticsBuffer) override {
        return m_core.resetStatistics(StatisticsBuffer);
    }
    qint32 RetrieveStatistics(QString& pStatisticsBuffer) override {
        return m_core.retrieveStatistics(pStatisticsBuffer);
    }
    qint32 UpdateStatistics(const QString& StatisticsBuffer) override {
        return m_core.updateStatistics(StatisticsBuffer);
    }
    qint32 BeginInsertion(qint32 Timeout) override;
    qint32 EndInsertion() override;
    qint32 BeginRemoval(qint32 Timeout) override;
    qint32 EndRemoval() override;
    qint32 ChangePrintSide(qint32 Side) override;

    void setDeviceEnabled(bool enabled) override { m_core.setDeviceEnabled(enabled); }
    void setAsyncMode(bool async) override;
    void setPowerNotify(qint32 PowerNotify) override { m_core.setPowerNotify(PowerNotify); }
    void setFreezeEvents(bool freeze) override { m_core.setFreezeEvents(freeze); }
    void setFlagWhenIdle(bool flag) override;
    void setBinaryConversion(qint32 conversion) override { m_core.setBinaryConversion(conversion); }
    void setCharacterSet(qint32 characterSet) override;
    void setMapMode(qint32 mode) override;
    void setMapCharacterSet(bool map) override;
    void setRotateSpecial(qint32 rotation) override;
    void setCartridgeNotify(qint32 notify) override;
    void setRecLetterQuality(bool quality) override;
    void setRecLineChars(qint32 chars) override;
    void setRecLineHeight(qint32 height) override;
    void setRecLineSpacing(qint32 spacing) override;
    void setRecCurrentCartridge(qint32 cartridge) override;

    bool DeviceEnabled() const override { return m_core.isEnabled(); }
    bool Claimed() const override { return m_core.isClaimed(); }
    qint32 OpenResult() const override { return m_core.openResult(); }
    qint32 BinaryConversion() const override { return m_core.binaryConversion(); }

    qint32 ResultCode() const override { return m_core.result().code(); }
    qint32 ResultCodeExtended() const override { return m_core.result().extended(); }
    QString ResultReason() const override { return m_core.result().reason(); }
    QString DeviceAnswers() const override;
    qint32 State() const override;
    QString CheckHealthText() const override { return m_core.checkHealthText(); }

    QString ControlObjectDescription() const override;
    qint32 ControlObjectVersion() const override { return kControlObjectVersion; }
    QString ServiceObjectDescription() const override;
    qint32 ServiceObjectVersion() const override { return isOpen() ? kServiceObjectVersion : 0; }
    QString DeviceDescription() const override;
    QString DeviceName() const override;
    bool FreezeEvents() const override { return m_core.events().isFrozen(); }
    qint32 OutputID() const override { return m_submitter.outputId(); }
    bool AsyncMode() const override { return m_submitter.isAsync(); }
    qint32 CapPowerReporting() const override {
        return isOpen() ? opos::OPOS_PR_ADVANCED : opos::OPOS_PR_NONE;
    }
    qint32 PowerNotify() const override { return m_core.power().notify(); }
    qint32 PowerState() const override { return m_core.power().state(); }

    qint32 CapCharacterSet() const override { return isOpen() ? opos::PTR_CCS_ASCII : 0; }
    bool CapConcurrentJrnRec() const override { return false; }
    bool CapConcurrentJrnSlp() const override { return false; }
    bool CapConcurrentRecSlp() const override { return false; }
    bool CapCoverSensor() const override { return isOpen() && profile().coverSensor && seesStatus(); }
    bool CapTransaction() const override { return isOpen(); }
    bool CapRecPresent() const override { return isOpen(); }
    bool CapRec2Color() const override { return false; }
    bool CapRecBarCode() const override { return isOpen(); }
    bool CapRecBitmap() const override { return isOpen(); }
    bool CapRecBold() const override { return isOpen(); }
    bool CapRecDhigh() const override { return isOpen(); }
    bool CapRecDwide() const override { return isOpen(); }
    bool CapRecDwideDhigh() const override { return isOpen(); }
    bool CapRecEmptySensor() const override { return isOpen() && profile().emptySensor && seesStatus(); }
    bool CapRecItalic() const override { return false; }
    bool CapRecLeft90() const override { return isOpen() && profile().sidewaysMaxLines > 0; }
    bool CapRecNearEndSensor() const override { return isOpen() && profile().nearEndSensor && seesStatus(); }
    bool CapRecPapercut() const override { return isOpen() && profile().hasCutter; }
    bool CapRecRight90() const override { return isOpen() && profile().sidewaysMaxLines > 0; }
    bool CapRecRotate180() const override { return isOpen(); }
    bool CapRecStamp() const override { return false; }
    bool CapRecUnderline() const override { return isOpen(); }
    bool CapRecMarkFeed() const override { return false; }
    qint32 CapRecCartridgeSensor() const override { return 0; }
    qint32 CapRecColor() const override { return isOpen() ? opos::PTR_COLOR_PRIMARY : 0; }
    bool CapMapCharacterSet() const override { return false; }
    bool CapStatisticsReporting() const override { return isOpen(); }
    bool CapUpdateStatistics() const override { return isOpen(); }

    qint32 CharacterSet() const override { return isOpen() ? m_composer.characterSet() : 0; }
    QString CharacterSetList() const override { return isOpen() ? profile().characterSetList() : QString(); }
    bool CoverOpen() const override { return m_status.coverOpen(); }
    qint32 ErrorLevel() const override { return isOpen() ? m_status.errorLevel() : 0; }
    qint32 ErrorStation() const override { return m_status.errorStation(); }
    QString ErrorString() const override { return m_status.errorString(); }
    bool FlagWhenIdle() const override { return m_status.flagWhenIdle(); }
    QString FontTypefaceList() const override { return isOpen() ? profile().fontTypefaceList() : QString(); }
    bool RecLetterQuality() const override { return isOpen() && m_letterQuality; }
    qint32 RecLineChars() const override { return isOpen() ? m_composer.metrics().lineChars() : 0; }
    QString RecLineCharsList() const override { return isOpen() ? profile().lineCharsList() : QString(); }
    qint32 RecLineHeight() const override { return isOpen() ? m_composer.metrics().lineHeight() : 0; }
    qint32 RecLineSpacing() const override { return isOpen() ? m_composer.metrics().lineSpacing() : 0; }
    qint32 RecLineWidth() const override { return isOpen() ? m_composer.metrics().lineWidth() : 0; }
    bool RecEmpty() const override { return m_status.recEmpty(); }
    bool RecNearEnd() const override { return m_status.recNearEnd(); }
    qint32 RecSidewaysMaxChars() const override { return isOpen() ? profile().sidewaysMaxChars : 0; }
    qint32 RecSidewaysMaxLines() const override { return isOpen() ? profile().sidewaysMaxLines : 0; }
    QString RecBarCodeRotationList() const override;
    QString RecBitmapRotationList() const override;
    qint32 RecLinesToPaperCut() const override { return isOpen() ? profile().linesToPaperCut : 0; }
    qint32 RotateSpecial() const override { return isOpen() ? m_composer.rotateSpecial() : 0; }
    qint32 MapMode() const override { return isOpen() ? m_composer.metrics().mapMode() : 0; }
    bool MapCharacterSet() const override { return false; }
    qint32 CartridgeNotify() const override { return 0; }
    qint32 RecCartridgeState() const override { return isOpen() ? opos::PTR_CART_UNKNOWN : 0; }
    qint32 RecCurrentCartridge() const override { return isOpen() ? opos::PTR_COLOR_PRIMARY : 0; }

protected:
    void refuseAbsentStation(const char* property) override;

private:
    bool isOpen() const { return m_core.isOpen(); }
    const PrinterProfile& profile() const { return m_composer.profile(); }
    PrinterLink& link() const { return *m_core.link(); }
    // False once the printer was found to answer nothing: it has no sensor Posling can read.
    bool seesStatus() const { return m_core.seesStatus(); }

    // What the printer does in the common lifecycle.
    std::optional<Outcome> claimCheck() const override;
    Outcome claim(qint32 timeout) override;
    void release() override;
    Outcome enable() override;
    void enabled() override;
    void disable() override;
    void closing() override;
    void statusChanged(const PrinterStatus& status) override;
    void deliver(const PendingEvent& event) override;

    Outcome checkHealth(qint32 level);
    Outcome printTestReceipt(qint32 level);
    Outcome printNormal(qint32 station, const QString& data);
    Outcome rotatePrint(qint32 station, qint32 rotation);
    Outcome cutPaper(qint32 percentage);
    Outcome printBarCode(qint32 station, const BarcodeArguments& arguments);
    Outcome printBitmap(qint32 station, const BitmapArguments& arguments);
    Outcome transactionPrint(qint32 station, qint32 control);
    Outcome directIO(qint32 command, qint32& data, QString& text);
    // A call on the receipt station: every device check, then the station.
    template <typename Body> qint32 receiptCall(const char* method, qint32 station, Body&& body);
    // Methods of stations this printer lacks: the common checks, then refused.
    qint32 absentStationCall(const char* method);
    // Hands a composition on: refused, held in the block, or submitted with what it will count.
    Outcome print(const Composition& composition, const PrintTally& tally = {});
    void onHalted(qint32 code, qint32 extended);
    void onOutputIdle();

    opos::HostServices m_services;
    ControlCore m_core;
    ReceiptComposer m_composer;
    OutputSubmitter m_submitter;
    StatusReporter m_status;
    FaultRecovery m_recovery;
    bool m_letterQuality = false;
};

} // namespace device
