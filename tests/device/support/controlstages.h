#pragma once

#include "device/control/cashdrawercontrol.h"
#include "device/control/posprintercontrol.h"
#include "opos/oposconstants.h"

#include <QTest>

#include <functional>

// Brings a control to a stage of its life, each step checked.
namespace controlstages {

using namespace device;
using namespace opos;

enum Stage { Closed, Opened, Claimed, Enabled };

using PrinterCall = std::function<qint32(PosPrinterControl&)>;
using DrawerCall = std::function<qint32(CashDrawerControl&)>;

inline void bring(PosPrinterControl& p, Stage stage) {
    if (stage >= Opened)
        QCOMPARE(p.Open(QStringLiteral("P")), OPOS_SUCCESS);
    if (stage >= Claimed)
        QCOMPARE(p.Claim(1000), OPOS_SUCCESS);
    if (stage >= Enabled) {
        p.setDeviceEnabled(true);
        QCOMPARE(p.ResultCode(), OPOS_SUCCESS);
    }
}

// The drawer is sharable: "Enabled" is reached without a claim.
inline void bring(CashDrawerControl& d, Stage stage) {
    if (stage >= Opened)
        QCOMPARE(d.Open(QStringLiteral("D")), OPOS_SUCCESS);
    if (stage == Claimed)
        QCOMPARE(d.Claim(0), OPOS_SUCCESS);
    if (stage == Enabled) {
        d.setDeviceEnabled(true);
        QCOMPARE(d.ResultCode(), OPOS_SUCCESS);
    }
}

} // namespace controlstages

using namespace controlstages;
