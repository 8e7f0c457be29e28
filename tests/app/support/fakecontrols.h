#pragma once

#include "opos/cashdrawer.h"
#include "opos/posprinter.h"

#include <QPointer>
#include <QStringList>

#include <memory>

// What the fakes were asked to do, in order ("printer.Close", "drawer.Close"); it outlives the
// controls, which their windows destroy on unload.
using CallLog = std::shared_ptr<QStringList>;

// A POS printer control that records the calls that change something and answers 0; its state
// and extended code are set by the test.
class FakePosPrinter : public opos::PosPrinter {
    Q_OBJECT
public:
    explicit FakePosPrinter(CallLog log) : m_log(std::move(log)) {}

    qint32 state = 1;
    qint32 resultCodeExtended = 0;

    qint32 Open(const QString& name) override { return record(QStringLiteral("Open ") + name, 2); }
    qint32 Claim(qint32) override { return record(QStringLiteral("Claim")); }
    qint32 ReleaseDevice() override { return record(QStringLiteral("ReleaseDevice")); }
    qint32 Close() override { return record(QStringLiteral("Close"), 1); }
    qint32 CheckHealth(qint32) override { return record(QStringLiteral("CheckHealth")); }
    qint32 PrintNormal(qint32, const QString&) override { return record(QStringLiteral("PrintNormal")); }
    qint32 RotatePrint(qint32, qint32) override { return record(QStringLiteral("RotatePrint")); }
    qint32 CutPaper(qint32) override { return record(QStringLiteral("CutPaper")); }
    qint32 PrintBarCode(qint32, const QString&, qint32, qint32, qint32, qint32, qint32) override {
        return record(QStringLiteral("PrintBarCode"));
    }
    qint32 SetBitmap(qint32, qint32, const QString&, qint32, qint32) override {
        return record(QStringLiteral("SetBitmap"));
    }
    qint32 PrintBitmap(qint32, const QString&, qint32, qint32) override {
        return record(QStringLiteral("PrintBitmap"));
    }
    void setDeviceEnabled(bool) override { record(QStringLiteral("setDeviceEnabled")); }
    void setAsyncMode(bool) override { record(QStringLiteral("setAsyncMode")); }
    void setPowerNotify(qint32) override { record(QStringLiteral("setPowerNotify")); }

    qint32 ResultCode() const override { return 0; }
    qint32 ResultCodeExtended() const override { return resultCodeExtended; }
    qint32 State() const override { return state; }
    QString CheckHealthText() const override { return {}; }
    QString ControlObjectDescription() const override { return {}; }
    qint32 ControlObjectVersion() const override { return 0; }
    QString ServiceObjectDescription() const override { return {}; }
    qint32 ServiceObjectVersion() const override { return 0; }
    QString DeviceDescription() const override { return {}; }
    QString DeviceName() const override { return {}; }
    bool FreezeEvents() const override { return false; }
    qint32 OutputID() const override { return 0; }
    bool AsyncMode() const override { return false; }
    qint32 CapPowerReporting() const override { return 0; }
    qint32 PowerNotify() const override { return 0; }
    qint32 PowerState() const override { return 0; }
    qint32 CapCharacterSet() const override { return 0; }
    bool CapConcurrentJrnRec() const override { return false; }
    bool CapConcurrentJrnSlp() const override { return false; }
    bool CapConcurrentRecSlp() const override { return false; }
    bool CapCoverSensor() const override { return false; }
    bool CapTransaction() const override { return false; }
    bool CapRecPresent() const override { return false; }
    bool CapRec2Color() const override { return false; }
    bool CapRecBarCode() const override { return false; }
    bool CapRecBitmap() const override { return false; }
    bool CapRecBold() const override { return false; }
    bool CapRecDhigh() const override { return false; }
    bool CapRecDwide() const override { return false; }
    bool CapRecDwideDhigh() const override { return false; }
    bool CapRecEmptySensor() const override { return false; }
    bool CapRecItalic() const override { return false; }
    bool CapRecLeft90() const override { return false; }
    bool CapRecNearEndSensor() const override { return false; }
    bool CapRecPapercut() const override { return false; }
    bool CapRecRight90() const override { return false; }
    bool CapRecRotate180() const override { return false; }
    bool CapRecStamp() const override { return false; }
    bool CapRecUnderline() const override { return false; }
    qint32 CharacterSet() const override { return 0; }
    QString CharacterSetList() const override { return {}; }
    bool CoverOpen() const override { return false; }
    qint32 ErrorLevel() const override { return 0; }
    qint32 ErrorStation() const override { return 0; }
    QString ErrorString() const override { return {}; }
    bool FlagWhenIdle() const override { return false; }
    QString FontTypefaceList() const override { return {}; }
    bool RecLetterQuality() const override { return false; }
    qint32 RecLineChars() const override { return 0; }
    QString RecLineCharsList() const override { return {}; }
    qint32 RecLineHeight() const override { return 0; }
    qint32 RecLineSpacing() const override { return 0; }
    qint32 RecLineWidth() const override { return 0; }
    bool RecEmpty() const override { return false; }
    bool RecNearEnd() const override { return false; }
    qint32 RecSidewaysMaxChars() const override { return 0; }
    qint32 RecSidewaysMaxLines() const override { return 0; }
    QString RecBarCodeRotationList() const override { return {}; }
    qint32 RecLinesToPaperCut() const override { return 0; }
    qint32 RotateSpecial() const override { return 0; }
    qint32 MapMode() const override { return 0; }
    qint32 ClaimDevice(qint32) override { return record(QStringLiteral("ClaimDevice")); }
    qint32 ClearOutput() override { return record(QStringLiteral("ClearOutput")); }
    qint32 PrintImmediate(qint32, const QString&) override {
        return record(QStringLiteral("PrintImmediate"));
    }
    qint32 PrintTwoNormal(qint32, const QString&, const QString&) override {
        return record(QStringLiteral("PrintTwoNormal"));
    }
    qint32 TransactionPrint(qint32, qint32) override { return record(QStringLiteral("TransactionPrint")); }
    qint32 ValidateData(qint32, const QString&) override { return record(QStringLiteral("ValidateData")); }
    qint32 SetLogo(qint32, const QString&) override { return record(QStringLiteral("SetLogo")); }
    qint32 MarkFeed(qint32) override { return record(QStringLiteral("MarkFeed")); }
    qint32 DirectIO(qint32, qint32&, QString&) override { return record(QStringLiteral("DirectIO")); }
    qint32 ResetStatistics(const QString&) override { return record(QStringLiteral("ResetStatistics")); }
    qint32 RetrieveStatistics(QString&) override { return record(QStringLiteral("RetrieveStatistics")); }
    qint32 UpdateStatistics(const QString&) override { return record(QStringLiteral("UpdateStatistics")); }
    qint32 BeginInsertion(qint32) override { return record(QStringLiteral("BeginInsertion")); }
    qint32 EndInsertion() override { return record(QStringLiteral("EndInsertion")); }
    qint32 BeginRemoval(qint32) override { return record(QStringLiteral("BeginRemoval")); }
    qint32 EndRemoval() override { return record(QStringLiteral("EndRemoval")); }
    qint32 ChangePrintSide(qint32) override { return record(QStringLiteral("ChangePrintSide")); }
    void setFreezeEvents(bool) override { record(QStringLiteral("setFreezeEvents")); }
    void setFlagWhenIdle(bool) override { record(QStringLiteral("setFlagWhenIdle")); }
    void setBinaryConversion(qint32) override { record(QStringLiteral("setBinaryConversion")); }
    void setCharacterSet(qint32) override { record(QStringLiteral("setCharacterSet")); }
    void setMapMode(qint32) override { record(QStringLiteral("setMapMode")); }
    void setMapCharacterSet(bool) override { record(QStringLiteral("setMapCharacterSet")); }
    void setRotateSpecial(qint32) override { record(QStringLiteral("setRotateSpecial")); }
    void setCartridgeNotify(qint32) override { record(QStringLiteral("setCartridgeNotify")); }
    void setRecLetterQuality(bool) override { record(QStringLiteral("setRecLetterQuality")); }
    void setRecLineChars(qint32) override { record(QStringLiteral("setRecLineChars")); }
    void setRecLineHeight(qint32) override { record(QStringLiteral("setRecLineHeight")); }
    void setRecLineSpacing(qint32) override { record(QStringLiteral("setRecLineSpacing")); }
    void setRecCurrentCartridge(qint32) override { record(QStringLiteral("setRecCurrentCartridge")); }
    qint32 OpenResult() const override { return 0; }
    bool Claimed() const override { return false; }
    bool DeviceEnabled() const override { return false; }
    qint32 BinaryConversion() const override { return 0; }
    bool CapRecMarkFeed() const override { return false; }
    qint32 CapRecCartridgeSensor() const override { return 0; }
    qint32 CapRecColor() const override { return 0; }
    bool CapMapCharacterSet() const override { return false; }
    bool CapStatisticsReporting() const override { return false; }
    bool CapUpdateStatistics() const override { return false; }
    bool MapCharacterSet() const override { return false; }
    QString RecBitmapRotationList() const override { return {}; }
    qint32 CartridgeNotify() const override { return 0; }
    qint32 RecCartridgeState() const override { return 0; }
    qint32 RecCurrentCartridge() const override { return 0; }

protected:
    void refuseAbsentStation(const char* property) override {
        record(QStringLiteral("refuseAbsentStation ") + QLatin1String(property));
    }

private:
    // Open and Close move the state the way a real control does; the rest leave it alone.
    qint32 record(const QString& call, qint32 newState = 0) {
        m_log->append(QStringLiteral("printer.") + call);
        if (newState)
            state = newState;
        return 0;
    }

    CallLog m_log;
};

class FakeCashDrawer : public opos::CashDrawer {
    Q_OBJECT
public:
    explicit FakeCashDrawer(CallLog log) : m_log(std::move(log)) {}

    qint32 state = 1;

    qint32 Open(const QString& name) override {
        m_log->append(QStringLiteral("drawer.Open ") + name);
        state = 2;
        return 0;
    }
    qint32 Close() override {
        m_log->append(QStringLiteral("drawer.Close"));
        state = 1;
        return 0;
    }
    qint32 OpenDrawer() override {
        m_log->append(QStringLiteral("drawer.OpenDrawer"));
        return 0;
    }
    void setDeviceEnabled(bool) override { m_log->append(QStringLiteral("drawer.setDeviceEnabled")); }
    qint32 ResultCode() const override { return 0; }
    qint32 State() const override { return state; }
    qint32 CapPowerReporting() const override { return 0; }
    qint32 PowerNotify() const override { return 0; }
    void setPowerNotify(qint32) override { m_log->append(QStringLiteral("drawer.setPowerNotify")); }
    qint32 PowerState() const override { return 0; }
    qint32 Claim(qint32) override { return record(QStringLiteral("Claim")); }
    qint32 ClaimDevice(qint32) override { return record(QStringLiteral("ClaimDevice")); }
    qint32 ReleaseDevice() override { return record(QStringLiteral("ReleaseDevice")); }
    qint32 CheckHealth(qint32) override { return record(QStringLiteral("CheckHealth")); }
    qint32 DirectIO(qint32, qint32&, QString&) override { return record(QStringLiteral("DirectIO")); }
    qint32 WaitForDrawerClose(qint32, qint32, qint32, qint32) override {
        return record(QStringLiteral("WaitForDrawerClose"));
    }
    qint32 ResetStatistics(const QString&) override { return record(QStringLiteral("ResetStatistics")); }
    qint32 RetrieveStatistics(QString&) override { return record(QStringLiteral("RetrieveStatistics")); }
    qint32 UpdateStatistics(const QString&) override { return record(QStringLiteral("UpdateStatistics")); }
    void setFreezeEvents(bool) override { record(QStringLiteral("setFreezeEvents")); }
    void setBinaryConversion(qint32) override { record(QStringLiteral("setBinaryConversion")); }
    qint32 ResultCodeExtended() const override { return 0; }
    qint32 OpenResult() const override { return 0; }
    bool Claimed() const override { return false; }
    bool DeviceEnabled() const override { return false; }
    bool FreezeEvents() const override { return false; }
    qint32 BinaryConversion() const override { return 0; }
    QString CheckHealthText() const override { return {}; }
    QString ControlObjectDescription() const override { return {}; }
    qint32 ControlObjectVersion() const override { return 0; }
    QString ServiceObjectDescription() const override { return {}; }
    qint32 ServiceObjectVersion() const override { return 0; }
    QString DeviceDescription() const override { return {}; }
    QString DeviceName() const override { return {}; }
    bool CapStatus() const override { return false; }
    bool CapStatusMultiDrawerDetect() const override { return false; }
    bool CapStatisticsReporting() const override { return false; }
    bool CapUpdateStatistics() const override { return false; }
    bool DrawerOpened() const override { return false; }

private:
    qint32 record(const QString& call) {
        m_log->append(QStringLiteral("drawer.") + call);
        return 0;
    }

    CallLog m_log;
};

// Installs creators that hand out fakes sharing one log, and remembers the newest of each.
class FakeControls {
public:
    FakeControls();
    ~FakeControls();

    CallLog log = std::make_shared<QStringList>();
    FakePosPrinter* printer() const { return m_printer; }
    FakeCashDrawer* drawer() const { return m_drawer; }

private:
    QPointer<FakePosPrinter> m_printer;
    QPointer<FakeCashDrawer> m_drawer;
};
