#pragma once

#include <QObject>
#include <QString>

namespace opos {

// The OPOS 1.8 cash drawer control as the windows see it. The drawer is sharable: it can be
// enabled without a claim. StatusUpdateEvent carries 1 when the drawer opens, 0 when it closes,
// and the power codes (2001-2004) while PowerNotify is on. Methods and property reads are invokable
// by name, a property set as setNAME.
class CashDrawer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~CashDrawer() override = default;

    Q_INVOKABLE virtual qint32 Open(const QString& DeviceName) = 0;
    Q_INVOKABLE virtual qint32 Close() = 0;
    Q_INVOKABLE virtual qint32 OpenDrawer() = 0;
    Q_INVOKABLE virtual void setDeviceEnabled(bool enabled) = 0;
    Q_INVOKABLE virtual qint32 ResultCode() const = 0;
    Q_INVOKABLE virtual qint32 State() const = 0;

    // Power reporting: PowerNotify may be set only while disabled (outcome in ResultCode).
    Q_INVOKABLE virtual qint32 CapPowerReporting() const = 0;
    Q_INVOKABLE virtual qint32 PowerNotify() const = 0;
    Q_INVOKABLE virtual void setPowerNotify(qint32 PowerNotify) = 0;
    Q_INVOKABLE virtual qint32 PowerState() const = 0;

Q_SIGNALS:
    void StatusUpdateEvent(qint32 Data);
};

} // namespace opos
