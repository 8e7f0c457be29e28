// Any file as a bitmap to print: read, checked, decoded, dithered.
#include "device/escpos/bitmapraster.h"
#include "device/profile/printerprofile.h"
#include "fuzzsupport.h"
#include "opos/oposconstants.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ensureGuiApplication(); // image plugins load once
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = inputFile(QStringLiteral("picture.bmp"), data, size);
    if (path.isEmpty())
        return 0;
    device::BitmapArguments args;
    args.fileName = path;
    args.width = opos::PTR_BM_ASIS;
    args.alignment = opos::PTR_BM_CENTER;
    (void)device::prepareBitmap(args, *device::PrinterProfile::byId(QStringLiteral("80mm")));
    return 0;
}
