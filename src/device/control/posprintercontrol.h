#pragma once

#include "device/control/devicestatistics.h"
#include "device/control/eventqueue.h"
#include "device/control/outputqueue.h"
#include "device/control/powerwatch.h"
#include "device/control/printmetrics.h"
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

#include <functional>
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
    qint32 ClaimDevice(qint32 Timeout) override;
    qint32 ClearOutput() override;
    qint32 PrintImmediate(qint32 Station, const QString& Data) override;
    qint32 PrintTwoNormal(qint32 Stations, const QString& Data1, const QString& Data2) override;
    qint32 TransactionPrint(qint32 Station, qint32 Control) override;
    qint32 ValidateData(qint32 Station, const QString& Data) override;
    qint32 SetLogo(qint32 Location, const QString& Data) override;
    qint32 MarkFeed(qint32 Type) override;
    qint32 DirectIO(qint32 Command, qint32& pData, QString& pString) override;
    qint32 ResetStatistics(const QString& StatisticsBuffer) override;
    qint32 RetrieveStatistics(QString& pStatisticsBuffer) override;
    qint32 UpdateStatistics(const QString& StatisticsBuffer) override;
    qint32 BeginInsertion(qint32 Timeout) override;
    qint32 EndInsertion() override;
    qint32 BeginRemoval(qint32 Timeout) override;
    qint32 EndRemoval() override;
    qint32 ChangePrintSide(qint32 Side) override;

    void setDeviceEnabled(bool enabled) override;
    void setAsyncMode(bool async) override;
    void setPowerNotify(qint32 PowerNotify) override;
    void setFreezeEvents(bool freeze) override;
    void setFlagWhenIdle(bool flag) override;
    void setBinaryConversion(qint32 conversion) override;
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

    bool DeviceEnabled() const override { return m_enabled; }
    bool Claimed() const override { return m_claimed; }
    qint32 OpenResult() const override { return m_openResult; }
    qint32 BinaryConversion() const override { return isOpen() ? m_binaryConversion : 0; }

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
    bool CapTransaction() const override { return isOpen(); }
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
    bool CapRecMarkFeed() const override { return false; }
    qint32 CapRecCartridgeSensor() const override { return 0; }
    qint32 CapRecColor() const override { return isOpen() ? opos::PTR_COLOR_PRIMARY : 0; }
    bool CapMapCharacterSet() const override { return false; }
    bool CapStatisticsReporting() const override { return isOpen(); }
    bool CapUpdateStatistics() const override { return isOpen(); }

    qint32 CharacterSet() const override { return isOpen() ? m_characterSet : 0; }
    QString CharacterSetList() const override { return isOpen() ? m_profile.characterSetList() : QString(); }
    bool CoverOpen() const override { return m_coverOpen; }
    qint32 ErrorLevel() const override { return isOpen() ? m_errorLevel : 0; }
    qint32 ErrorStation() const override { return m_errorStation; }
    QString ErrorString() const override { return m_errorString; }
    bool FlagWhenIdle() const override { return m_flagWhenIdle; }
    QString FontTypefaceList() const override { return isOpen() ? m_profile.fontTypefaceList() : QString(); }
    bool RecLetterQuality() const override { return isOpen() && m_letterQuality; }
    qint32 RecLineChars() const override { return isOpen() ? m_metrics.lineChars() : 0; }
    QString RecLineCharsList() const override { return isOpen() ? m_profile.lineCharsList() : QString(); }
    qint32 RecLineHeight() const override { return isOpen() ? m_metrics.lineHeight() : 0; }
    qint32 RecLineSpacing() const override { return isOpen() ? m_metrics.lineSpacing() : 0; }
    qint32 RecLineWidth() const override { return isOpen() ? m_metrics.lineWidth() : 0; }
    bool RecEmpty() const override { return m_recEmpty; }
    bool RecNearEnd() const override { return m_recNearEnd; }
    qint32 RecSidewaysMaxChars() const override { return isOpen() ? m_profile.sidewaysMaxChars : 0; }
    qint32 RecSidewaysMaxLines() const override { return isOpen() ? m_profile.sidewaysMaxLines : 0; }
    QString RecBarCodeRotationList() const override;
    QString RecBitmapRotationList() const override;
    qint32 RecLinesToPaperCut() const override { return isOpen() ? m_profile.linesToPaperCut : 0; }
    qint32 RotateSpecial() const override { return isOpen() ? m_rotateSpecial : 0; }
    qint32 MapMode() const override { return isOpen() ? m_metrics.mapMode() : 0; }
    bool MapCharacterSet() const override { return false; }
    qint32 CartridgeNotify() const override { return 0; }
    qint32 RecCartridgeState() const override { return isOpen() ? opos::PTR_CART_UNKNOWN : 0; }
    qint32 RecCurrentCartridge() const override { return isOpen() ? opos::PTR_COLOR_PRIMARY : 0; }

protected:
    void refuseAbsentStation(const char* property) override;

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
    Outcome printImmediate(qint32 station, const QString& data);
    Outcome transactionPrint(qint32 station, qint32 control);
    Outcome validateData(qint32 station, const QString& data);
    Outcome setLogo(qint32 location, const QString& data);
    Outcome directIO(qint32 command, qint32& data, QString& text);
    Outcome printTestReceipt(qint32 level);
    QByteArray testReceiptBytes();
    // Writes straight to the printer ahead of queued output and waits until it has printed.
    Outcome printNow(const QByteArray& bytes);
    // The size arguments, given in MapMode units, in dots.
    BarcodeArguments inDots(const BarcodeArguments& arguments) const;
    BitmapArguments inDots(const BitmapArguments& arguments) const;
    // A set of a property valid once enabled: refused unless open, claimed and enabled.
    template <typename Set> void setWhenEnabled(const char* property, Set&& set);
    // A statistics call: open, claimed and enabled, then the store.
    template <typename Call> qint32 statisticsCall(const char* method, Call&& call);
    // Methods of stations this printer lacks: the common checks, then refused.
    qint32 absentStationCall(const char* method);
    // What a request will put on paper, counted into the statistics once it has printed.
    struct PrintTally {
        qint64 lines = 0, characters = 0, feeds = 0, cuts = 0, barcodes = 0, bitmaps = 0;
        PrintTally& operator+=(const PrintTally& other);
    };
    static PrintTally tallyOf(const QString& data);
    void count(const PrintTally& tally);
    void applyMetrics();
    void giveStoredData(PrintDataTranslator& translator);
    // Where and how a bar code or bitmap prints under the current rotation.
    // Sideways: a page of its own turned as RotateSpecial says (bar codes outside a rotation).
    enum class SymbolForm { Upright, HalfTurned, InBlock, Sideways };
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
    enum class Delivery { AsCalled, Synchronous };
    Outcome submit(const QByteArray& bytes, Delivery delivery = Delivery::AsCalled);
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
    PrintMetrics m_metrics;
    DeviceStatistics m_statistics{StatisticsCategory::PosPrinter};
    QTimer m_retryTimer;
    quint64 m_retryProbe = 0; // the exchange asking a silent printer whether it is back

    bool m_claimed = false;
    bool m_enabled = false;
    bool m_async = false;
    bool m_flagWhenIdle = false;
    bool m_upsideDown = false;
    qint32 m_turning = 0; // PTR_RP_BARCODE and PTR_RP_BITMAP of the current rotation
    static constexpr int kStoredBitmaps = 20;
    QMap<int, QByteArray> m_storedBitmaps;   // SetBitmap's numbers and the bytes that print them
    bool m_retryOnRecovery = false;          // a failed request waits for the fault to clear
    QList<qint32> m_blockIds;                // asynchronous calls held in the open sideways block
    std::optional<QByteArray> m_transaction; // what TransactionPrint holds until it ends
    QList<qint32> m_transactionIds;          // asynchronous calls held in the transaction
    QString m_logos[2];                      // SetLogo's top and bottom
    PrintTally m_nextTally;                  // of the request being built
    PrintTally m_transactionTally;
    QHash<qint32, PrintTally> m_requestTallies; // of requests sent, until they print
    qint32 m_binaryConversion = opos::OPOS_BC_NONE;
    qint32 m_rotateSpecial = opos::PTR_RP_NORMAL;
    bool m_letterQuality = false;
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
    Outcome m_haltedBy; // how the asynchronous request that halted the queue failed
};

} // namespace device
