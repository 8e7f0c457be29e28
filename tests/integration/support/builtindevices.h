#pragma once

#include "device/installcontrols.h"
#include "virtual/installvirtual.h"
#include "virtual/virtualprinterhub.h"

#include <QTemporaryDir>
#include <QTest>

// The windows over our controls and the in-process virtual printers of the built-in registry: no
// devices file of the user's, since the configuration folder is the test's own.
inline void useBuiltInDevices(const QTemporaryDir& config) {
    QVERIFY(config.isValid());
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qunsetenv("POSLING_DEVICES");
    installDeviceControls();
    installVirtualPrinter();
}

// The virtual printer behind the built-in "Z901", once a control has opened it.
inline virt::VirtualPrinter* virtualPrinter() {
    return virt::VirtualPrinterHub::instance()->find(QStringLiteral("Z901"));
}
