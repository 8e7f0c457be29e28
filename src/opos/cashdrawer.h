#pragma once

#include <QObject>
#include <QString>

namespace opos {

// The OPOS 1.8 cash drawer control as the windows and plans see it. The drawer is sharable: it can be
// enabled without a claim. StatusUpdateEvent carries 1 when the drawer opens, 0 when it closes,
// and the power codes (2001-2004) while PowerNotify is on. Methods and property reads are invokable
// by name, a property set as setNAME.
class CashDrawer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~CashDrawer() override = default;

    // Methods.
    Q_INVOKABLE virtual qint32 Open(const QString& DeviceName) = 0;
    Q_INVOKABLE virtual qint32 Close() = 0;
    Q_INVOKABLE virtual qint32 Claim(qint32 Timeout) = 0;
    Q_INVOKABLE virtual qint32 ClaimDevice(qint32 Timeout) = 0; // Claim under its 1.5 name
    Q_INVOKABLE virtual qint32 ReleaseDevice() = 0;
    Q_INVOKABLE virtual qint32 CheckHealth(qint32 Level) = 0;
    Q_INVOKABLE virtual qint32 DirectIO(qint32 Command, qint32& pData, QString& pString) = 0;
    Q_INVOKABLE virtual qint32 OpenDrawer() = 0;
    // Blocks until the drawer is closed, sounding the printer's buzzer after BeepTimeout ms.
    Q_INVOKABLE virtual qint32 WaitForDrawerClose(qint32 BeepTimeout, qint32 BeepFrequency,
                                                  qint32 BeepDuration, qint32 BeepDelay) = 0;
    Q_INVOKABLE virtual qint32 ResetStatistics(const QString& StatisticsBuffer) = 0;
    Q_INVOKABLE virtual qint32 RetrieveStatistics(QString& pStatisticsBuffer) = 0;
    Q_INVOKABLE virtual qint32 UpdateStatistics(const QString& StatisticsBuffer) = 0;

    // Writable properties; the outcome of a set is read from ResultCode.
    Q_INVOKABLE virtual void setDeviceEnabled(bool enabled) = 0;
    Q_INVOKABLE virtual void setFreezeEvents(bool FreezeEvents) = 0;
    Q_INVOKABLE virtual void setBinaryConversion(qint32 BinaryConversion) = 0;
    // PowerNotify may be set only while disabled.
    Q_INVOKABLE virtual void setPowerNotify(qint32 PowerNotify) = 0;

    // Properties.
    Q_INVOKABLE virtual qint32 ResultCode() const = 0;
    Q_INVOKABLE virtual qint32 ResultCodeExtended() const = 0;
    // What the control knows of the last call beyond ResultCode: why it failed (an unknown device
    // name, a connection that would not open) or what its success leaves unseen (a printer that
    // answers less); empty otherwise. Not an OPOS property.
    virtual QString ResultReason() const { return {}; }
    Q_INVOKABLE virtual qint32 State() const = 0;
    Q_INVOKABLE virtual qint32 OpenResult() const = 0;
    Q_INVOKABLE virtual bool Claimed() const = 0;
    Q_INVOKABLE virtual bool DeviceEnabled() const = 0;
    Q_INVOKABLE virtual bool FreezeEvents() const = 0;
    Q_INVOKABLE virtual qint32 BinaryConversion() const = 0;
    Q_INVOKABLE virtual QString CheckHealthText() const = 0;
    Q_INVOKABLE virtual QString ControlObjectDescription() const = 0;
    Q_INVOKABLE virtual qint32 ControlObjectVersion() const = 0;
    Q_INVOKABLE virtual QString ServiceObjectDescription() const = 0;
    Q_INVOKABLE virtual qint32 ServiceObjectVersion() const = 0;
    Q_INVOKABLE virtual QString DeviceDescription() const = 0;
    Q_INVOKABLE virtual QString DeviceName() const = 0;
    Q_INVOKABLE virtual bool CapStatus() const = 0;
    Q_INVOKABLE virtual bool CapStatusMultiDrawerDetect() const = 0;
    Q_INVOKABLE virtual bool CapStatisticsReporting() const = 0;
    Q_INVOKABLE virtual bool CapUpdateStatistics() const = 0;
    Q_INVOKABLE virtual bool DrawerOpened() const = 0;
    Q_INVOKABLE virtual qint32 CapPowerReporting() const = 0;
    Q_INVOKABLE virtual qint32 PowerNotify() const = 0;
    Q_INVOKABLE virtual qint32 PowerState() const = 0;

Q_SIGNALS:
    void StatusUpdateEvent(qint32 Data);
};

} // namespace opos
