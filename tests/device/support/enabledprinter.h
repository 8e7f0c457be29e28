#pragma once

#include <functional>

#include "device/control/posprintercontrol.h"
#include "support/devicerig.h"
#include "support/fakeprinter.h"

#include <QByteArray>
#include <QCoreApplication>

// Lets queued replies and events through.
inline void settle() {
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
}

// An enabled printer "P" with its fake printer's log emptied.
struct Enabled {
    DeviceRig rig;
    device::PosPrinterControl p;
    FakePrinter* fake = nullptr;

    // beforeEnable makes the printer what it is (what it answers) before the control learns it.
    explicit Enabled(const opos::HostServices& services = {},
                     const std::function<void(FakePrinter&)>& beforeEnable = {})
        : p(services) {
        if (p.Open(QStringLiteral("P")) != opos::OPOS_SUCCESS || p.Claim(0) != opos::OPOS_SUCCESS)
            return;
        if (beforeEnable)
            beforeEnable(*FakePrinter::of(QStringLiteral("P")));
        p.setDeviceEnabled(true);
        fake = FakePrinter::of(QStringLiteral("P"));
        settle();
        fake->clear();
    }
};

inline QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}
