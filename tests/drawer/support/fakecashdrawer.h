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

private:
    qint32 read(const QString& name) const;
    qint32 answer(const QString& method, const QString& call);
};
