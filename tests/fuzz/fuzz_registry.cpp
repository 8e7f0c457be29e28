// A devices file of any content, read and every name in it resolved as printer and as drawer.
#include "device/registry/deviceconfig.h"
#include "device/registry/deviceregistry.h"
#include "fuzzsupport.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("devices.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(fuzzBytes(data, size));
    file.close();
    const device::DeviceRegistry registry = device::DeviceRegistry::fromFile(path);
    for (const device::DeviceEntry& entry : registry.entries()) {
        (void)device::resolvePrinter(registry, entry.name);
        (void)device::resolveDrawer(registry, entry.name);
    }
    return 0;
}
