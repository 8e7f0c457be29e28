#include "fakecashdrawer.h"

#include "opos/controlfactory.h"
#include "opos/oposconstants.h"

void FakeCashDrawer::install() {
    opos::ControlFactory::setCashDrawerCreator([] {
        auto fake = std::make_unique<FakeCashDrawer>();
        created().append(fake.get());
        return std::unique_ptr<opos::CashDrawer>(std::move(fake));
    });
}

QList<QPointer<FakeCashDrawer>>& FakeCashDrawer::created() {
    static QList<QPointer<FakeCashDrawer>> fakes;
    return fakes;
}

qint32 FakeCashDrawer::answer(const QString& method, const QString& call) {
    calls.append(call);
    resultCode = results.value(method, defaultResult);
    return resultCode;
}

qint32 FakeCashDrawer::Open(const QString& DeviceName) {
    const qint32 code = answer(QStringLiteral("Open"), QStringLiteral("Open(\"%1\")").arg(DeviceName));
    if (code == opos::OPOS_SUCCESS)
        state = opos::OPOS_S_IDLE;
    return code;
}

qint32 FakeCashDrawer::Close() {
    const qint32 code = answer(QStringLiteral("Close"), QStringLiteral("Close()"));
    if (code == opos::OPOS_SUCCESS)
        state = opos::OPOS_S_CLOSED;
    return code;
}

qint32 FakeCashDrawer::OpenDrawer() {
    return answer(QStringLiteral("OpenDrawer"), QStringLiteral("OpenDrawer()"));
}

void FakeCashDrawer::setDeviceEnabled(bool enabled) {
    answer(QStringLiteral("DeviceEnabled"),
           QStringLiteral("setDeviceEnabled(%1)")
               .arg(enabled ? QStringLiteral("true") : QStringLiteral("false")));
}

void FakeCashDrawer::setPowerNotify(qint32 PowerNotify) {
    answer(QStringLiteral("PowerNotify"), QStringLiteral("setPowerNotify(%1)").arg(PowerNotify));
}

qint32 FakeCashDrawer::read(const QString& name) const {
    calls.append(name + QStringLiteral("()"));
    return values.value(name);
}

qint32 FakeCashDrawer::ResultCode() const {
    calls.append(QStringLiteral("ResultCode()"));
    return resultCode;
}

qint32 FakeCashDrawer::State() const {
    calls.append(QStringLiteral("State()"));
    return state;
}
