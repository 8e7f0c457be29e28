#pragma once

#include "device/control/eventqueue.h"
#include "device/control/outputqueue.h"
#include "device/control/powerwatch.h"
#include "device/control/resultfunnel.h"
#include "device/control/sidewaysbuffer.h"
#include "device/escpos/barcodecommand.h"
#include "device/escpos/bitmapraster.h"
#include "device/escpos/printdatatranslator.h"
#include "device/link/printerlink.h"
#include "device/registry/deviceconfig.h"
#include "opos/posprinter.h"

#include <QHash>
#include <QMap>
#include <QTimer>

#include <memory>
#include <optional>

namespace device {

// Our OPOS 1.8 POS printer control: the receipt station of an ESC/POS printer named in the device
// registry. Exclusive use: enabling needs a claim; the claim opens the connection.
class PosPrinterControl : public opos::PosPrinter {
    Q_OBJECT
public:
    explicit PosPrinterControl(QObject* parent = nullptr);
    ~PosPrinterControl() override;

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
    qint32 ClearOutput();

    void setDeviceEnabled(bool enabled) override;
    void setAsyncMode(bool async) override;
    void setPowerNotify(qint32 PowerNotify) override;
    void setFreezeEvents(bool freeze);
    void setFlagWhenIdle(bool flag);
    void setCharacterSet(qint32 characterSet);

    bool DeviceEnabled() const { return m_enabled; }
    bool Claimed() const { return m_claimed; }
    qint32 OpenResult() const { return m_openResult; }

    qint32 ResultCode() const override { return m_result.code(); }
    qint32 ResultCodeExtended() const override { return m_result.extended(); }
    qint32 State() const override;
    QString CheckHealthText() const override { return m_checkHealthText; }

    QString ControlObjectDescription() const override;
    qint32 ControlObjectVersion() const override { return kControlObjectVersion; }
    QString ServiceObjectDescription() const override;
    qint32 ServiceObjectVersion() const override { return isOpen() ? kServiceObjectVersion : 0; }
    QString DeviceDescription() const override;
    QString DeviceName() const override;
    bool FreezeEvents() const override { return m_events.isFrozen(); }
    qint32 OutputID() const override { return m_outputId; }
    bool AsyncMode() const override { return m_async; }
    qint32 CapPowerReporting() const override {
        return isOpen() ? opos::OPOS_PR_ADVANCED : opos::OPOS_PR_NONE;
    }
    qint32 PowerNotify() const override { return m_power.notify(); }
    qint32 PowerState() const override { return m_power.state(); }

    qint32 CapCharacterSet() const override { return isOpen() ? opos::PTR_CCS_ASCII : 0; }
    bool CapConcurrentJrnRec() const override { return false; }
    bool CapConcurrentJrnSlp() const override { return false; }
    bool CapConcurrentRecSlp() const override { return false; }
    bool CapCoverSensor() const override { return isOpen() && m_profile.coverSensor; }
    bool CapTransaction() const override { return false; }
    bool CapRecPresent() const override { return isOpen(); }
    bool CapRec2Color() const override { return false; }
    bool CapRecBarCode() const override { return isOpen(); }
    bool CapRecBitmap() const override { return isOpen(); }
    bool CapRecBold() const override { return isOpen(); }
    bool CapRecDhigh() const override { return isOpen(); }
    bool CapRecDwide() const override { return isOpen(); }
    bool CapRecDwideDhigh() const override { return isOpen(); }
    bool CapRecEmptySensor() const override { return isOpen() && m_profile.emptySensor; }
    bool CapRecItalic() const override { return false; }
    bool CapRecLeft90() const override { return isOpen() && m_profile.sidewaysMaxLines > 0; }
    bool CapRecNearEndSensor() const override { return isOpen() && m_profile.nearEndSensor; }
    bool CapRecPapercut() const override { return isOpen() && m_profile.hasCutter; }
    bool CapRecRight90() const override { return isOpen() && m_profile.sidewaysMaxLines > 0; }
    bool CapRecRotate180() const override { return isOpen(); }
    bool CapRecStamp() const override { return false; }
    bool CapRecUnderline() const override { return isOpen(); }

    qint32 CharacterSet() const override { return isOpen() ? m_characterSet : 0; }
    QString CharacterSetList() const override { return isOpen() ? m_profile.characterSetList() : QString(); }
    bool CoverOpen() const override { return m_coverOpen; }
    qint32 ErrorLevel() const override { return isOpen() ? m_errorLevel : 0; }
    qint32 ErrorStation() const override { return m_errorStation; }
    QString ErrorString() const override { return m_errorString; }
    bool FlagWhenIdle() const override { return m_flagWhenIdle; }
    QString FontTypefaceList() const override { return {}; }
    bool RecLetterQuality() const override { return false; }
    qint32 RecLineChars() const override;
    QString RecLineCharsList() const override { return isOpen() ? m_profile.lineCharsList() : QString(); }
    qint32 RecLineHeight() const override { return isOpen() ? m_profile.lineHeightDots() : 0; }
    qint32 RecLineSpacing() const override { return isOpen() ? m_profile.lineSpacingDots : 0; }
    qint32 RecLineWidth() const override { return isOpen() ? m_profile.lineWidthDots : 0; }
    bool RecEmpty() const override { return m_recEmpty; }
    bool RecNearEnd() const override { return m_recNearEnd; }
    qint32 RecSidewaysMaxChars() const override { return isOpen() ? m_profile.sidewaysMaxChars : 0; }
    qint32 RecSidewaysMaxLines() const override { return isOpen() ? m_profile.sidewaysMaxLines : 0; }
    QString RecBarCodeRotationList() const override;
    QString RecBitmapRotationList() const;
    qint32 RecLinesToPaperCut() const override { return isOpen() ? m_profile.linesToPaperCut : 0; }
    qint32 RotateSpecial() const override { return isOpen() ? opos::PTR_RP_NORMAL : 0; }
    qint32 MapMode() const override { return isOpen() ? opos::PTR_MM_DOTS : 0; }

private:
    bool isOpen() const { return m_config.has_value(); }
    Outcome openDevice(const QString& name);
    Outcome claimDevice(qint32 timeout);
    Outcome releaseDevice();
    Outcome closeDevice();
    Outcome enableDevice();
    void disableDevice();
    Outcome checkHealth(qint32 level);
    Outcome printNormal(qint32 station, const QString& data);
    Outcome rotatePrint(qint32 station, qint32 rotation);
    Outcome cutPaper(qint32 percentage);
    Outcome printBarCode(qint32 station, const BarcodeArguments& arguments);
    Outcome setBitmap(qint32 number, qint32 station, const BitmapArguments& arguments);
    Outcome printBitmap(qint32 station, const BitmapArguments& arguments);
    // Where and how a bar code or bitmap prints under the current rotation.
    enum class SymbolForm { Upright, HalfTurned, InBlock };
    std::optional<SymbolForm> symbolForm(qint32 kind) const;
    QByteArray barcodeBytes(const BarcodeCommand& command, int heightDots, SymbolForm form) const;
    static constexpr int kTextGapDots = 4;
    QByteArray bitmapBytes(const PreparedBitmap& bitmap, SymbolForm form) const;
    Outcome printSymbol(SymbolForm form, const QByteArray& symbol, int widthDots, int heightDots);
    Outcome holdForBlock();
    Outcome nothingToPrint();
    // closed, not claimed, disabled: the common checks of every device method, in OPOS order
    std::optional<Outcome> deviceCheck() const;
    std::optional<Outcome> busyCheck() const;
    Outcome submit(const QByteArray& bytes);
    void onStatusChanged(const PrinterStatus& status);
    void reportStatus(const PrinterStatus& status, bool onlyFaults);
    void onRequestCompleted(qint32 id, bool synchronous);
    void onRequestFailed(qint32 id, bool synchronous, qint32 code, qint32 extended);
    void onQueueDrained();
    void deliver(const PendingEvent& event);
    QByteArray sidewaysBlock();
    QByteArray endPendingLine();
    QByteArray lineState() const;
    void postStatus(qint32 code);
    void clearQueuedOutput();
    void retryNow();
    void retryWhenAnswering();

    ResultFunnel m_result;
    EventQueue m_events;
    OutputQueue m_output;
    std::optional<PrinterConfig> m_config;
    PrinterProfile m_profile;
    std::shared_ptr<PrinterLink> m_link;
    std::optional<PrintDataTranslator> m_translator;
    SidewaysBuffer m_sideways;
    PowerWatch m_power;
    QTimer m_retryTimer;
    quint64 m_retryProbe = 0; // the exchange asking a silent printer whether it is back

    bool m_claimed = false;
    bool m_enabled = false;
    bool m_async = false;
    bool m_flagWhenIdle = false;
    bool m_upsideDown = false;
    qint32 m_turning = 0; // PTR_RP_BARCODE and PTR_RP_BITMAP of the current rotation
    static constexpr int kStoredBitmaps = 20;
    QMap<int, QByteArray> m_storedBitmaps;          // SetBitmap's numbers and the bytes that print them
    bool m_retryOnRecovery = false;                 // a failed request waits for the fault to clear
    QList<qint32> m_blockIds;                       // asynchronous calls held in the open sideways block
    QHash<qint32, QList<qint32>> m_heldCompletions; // request -> held calls it completes
    bool m_atLineStart = true;
    qint32 m_openResult = 0;
    qint32 m_outputId = 0;
    qint32 m_characterSet = 0;
    QByteArray m_pendingSetup; // goes out in front of the next request
    QString m_checkHealthText;
    bool m_coverOpen = false;
    bool m_recEmpty = false;
    bool m_recNearEnd = false;
    qint32 m_errorLevel = opos::PTR_EL_NONE;
    qint32 m_errorStation = 0;
    QString m_errorString;
    // the synchronous request being waited for, and how it ended
    qint32 m_syncId = 0;
    qint32 m_syncCounter = 0;
    std::optional<Outcome> m_syncOutcome;
};

} // namespace device
