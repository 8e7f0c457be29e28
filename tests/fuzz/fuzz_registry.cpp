// A devices file of any content, read and every name in it resolved as printer and as drawer.
#include "device/registry/deviceconfig.h"
#include "device/registry/deviceregistry.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceTraces();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = inputFile(QStringLiteral("devices.ini"), data, size);
    if (path.isEmpty())
        return 0;
    const device::DeviceRegistry registry = device::DeviceRegistry::fromFile(path);
    for (const device::DeviceEntry& entry : registry.entries()) {
        (void)device::resolvePrinter(registry, entry.name);
        (void)device::resolveDrawer(registry, entry.name);
    }
    return 0;
}
