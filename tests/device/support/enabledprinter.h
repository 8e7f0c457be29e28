#pragma once

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

    explicit Enabled(const opos::HostServices& services = {}) : p(services) {
        if (p.Open(QStringLiteral("P")) != opos::OPOS_SUCCESS || p.Claim(0) != opos::OPOS_SUCCESS)
            return;
        p.setDeviceEnabled(true);
        fake = FakePrinter::of(QStringLiteral("P"));
        settle();
        fake->clear();
    }
};

inline QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}
