#pragma once

#include "opos/cashdrawer.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>

// A cash drawer control that records every call, property set and read, in order, as text such
// as Open("Z901-1") or State(). Methods answer with `results[name]` (default `defaultResult`);
// a successful Open makes the state idle, a successful Close closed.
class FakeCashDrawer : public opos::CashDrawer {
    Q_OBJECT
public:
    mutable QStringList calls;
    QHash<QString, qint32> results;
    qint32 defaultResult = 0;
    qint32 state = 1;
    qint32 resultCode = 0;
    QHash<QString, qint32> values; // property reads (missing: 0)

    static void install();
    static QList<QPointer<FakeCashDrawer>>& created();
    static FakeCashDrawer* last() { return created().isEmpty() ? nullptr : created().last().data(); }

    QStringList takeCalls() { return std::exchange(calls, {}); }

    qint32 Open(const QString& DeviceName) override;
    qint32 Close() override;
    qint32 OpenDrawer() override;
    void setDeviceEnabled(bool enabled) override;
    qint32 ResultCode() const override;
    qint32 State() const override;
    qint32 CapPowerReporting() const override { return read(QStringLiteral("CapPowerReporting")); }
    qint32 PowerNotify() const override { return read(QStringLiteral("PowerNotify")); }
    void setPowerNotify(qint32 PowerNotify) override;
    qint32 PowerState() const override { return read(QStringLiteral("PowerState")); }
    // The calls no window makes, recorded as Name(arguments).
    qint32 Claim(qint32 Timeout) override { return recorded("Claim", QString::number(Timeout)); }
    qint32 ClaimDevice(qint32 Timeout) override { return recorded("ClaimDevice", QString::number(Timeout)); }
    qint32 ReleaseDevice() override { return recorded("ReleaseDevice"); }
    qint32 CheckHealth(qint32 Level) override { return recorded("CheckHealth", QString::number(Level)); }
    qint32 DirectIO(qint32 Command, qint32& pData, QString& pString) override {
        return recorded("DirectIO", QStringLiteral("%1,%2,%3").arg(Command).arg(pData).arg(pString));
    }
    qint32 WaitForDrawerClose(qint32 BeepTimeout, qint32 BeepFrequency, qint32 BeepDuration,
                              qint32 BeepDelay) override {
        return recorded("WaitForDrawerClose", QStringLiteral("%1,%2,%3,%4")
                                                  .arg(BeepTimeout)
                                                  .arg(BeepFrequency)
                                                  .arg(BeepDuration)
                                                  .arg(BeepDelay));
    }
    qint32 ResetStatistics(const QString& StatisticsBuffer) override {
        return recorded("ResetStatistics", StatisticsBuffer);
    }
    qint32 RetrieveStatistics(QString&) override { return recorded("RetrieveStatistics"); }
    qint32 UpdateStatistics(const QString& StatisticsBuffer) override {
        return recorded("UpdateStatistics", StatisticsBuffer);
    }
    void setFreezeEvents(bool FreezeEvents) override {
        recorded("FreezeEvents", FreezeEvents ? QStringLiteral("true") : QStringLiteral("false"));
    }
    void setBinaryConversion(qint32 BinaryConversion) override {
        recorded("BinaryConversion", QString::number(BinaryConversion));
    }
    qint32 ResultCodeExtended() const override { return read(QStringLiteral("ResultCodeExtended")); }
    qint32 OpenResult() const override { return read(QStringLiteral("OpenResult")); }
    bool Claimed() const override { return read(QStringLiteral("Claimed")); }
    bool DeviceEnabled() const override { return read(QStringLiteral("DeviceEnabled")); }
    bool FreezeEvents() const override { return read(QStringLiteral("FreezeEvents")); }
    qint32 BinaryConversion() const override { return read(QStringLiteral("BinaryConversion")); }
    QString CheckHealthText() const override { return {}; }
    QString ControlObjectDescription() const override { return {}; }
    qint32 ControlObjectVersion() const override { return read(QStringLiteral("ControlObjectVersion")); }
    QString ServiceObjectDescription() const override { return {}; }
    qint32 ServiceObjectVersion() const override { return read(QStringLiteral("ServiceObjectVersion")); }
    QString DeviceDescription() const override { return {}; }
    QString DeviceName() const override { return {}; }
    bool CapStatus() const override { return read(QStringLiteral("CapStatus")); }
    bool CapStatusMultiDrawerDetect() const override {
        return read(QStringLiteral("CapStatusMultiDrawerDetect"));
    }
    bool CapStatisticsReporting() const override { return read(QStringLiteral("CapStatisticsReporting")); }
    bool CapUpdateStatistics() const override { return read(QStringLiteral("CapUpdateStatistics")); }
    bool DrawerOpened() const override { return read(QStringLiteral("DrawerOpened")); }

private:
    qint32 recorded(const char* method, const QString& arguments = {}) {
        return answer(QLatin1String(method), QLatin1String(method) + u'(' + arguments + u')');
    }
    qint32 read(const QString& name) const;
    qint32 answer(const QString& method, const QString& call);
};
