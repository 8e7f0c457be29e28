// Print data with UnifiedPOS escapes through the translator, in the first byte's code page, in
// chunks as an application sends them.
#include "device/escpos/printdatatranslator.h"
#include "device/profile/printerprofile.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    static const int characterSets[] = {437, 850, 852, 858, 866, 1252, 998};
    const auto profile =
        device::PrinterProfile::byId(data[0] & 1 ? QStringLiteral("58mm") : QStringLiteral("80mm"));
    device::PrintDataTranslator translator(*profile, characterSets[data[1] % 7]);
    const QString text = QString::fromUtf8(fuzzBytes(data + 2, size - 2));
    const qsizetype half = text.size() / 2;
    (void)translator.translate(QStringView(text).first(half));
    (void)translator.translate(QStringView(text).sliced(half));
    return 0;
}
