// Any byte stream into the virtual printer, in chunks of the first byte's size, printed as fast as
// it goes: huge images, pages and 2D codes included.
#include "fuzzsupport.h"
#include "virtual/escpossession.h"
#include "virtual/virtualprinter.h"

#include <QDeadlineTimer>

namespace {

// Feeds a stream as a host would and lets the printer print all it can; false when it took too long.
bool printAll(virt::VirtualPrinter& printer, const QByteArray& stream, qsizetype chunk) {
    virt::EscPosSession* session = printer.attach([](const QByteArray&) {});
    const QDeadlineTimer deadline(5000);
    qsizetype offset = 0;
    while ((offset < stream.size() || printer.isPrinting()) && !deadline.hasExpired()) {
        if (offset < stream.size())
            offset += printer.receive(session, stream.mid(offset, chunk));
        QCoreApplication::processEvents();
        if (!printer.canPrint())
            break;
    }
    return !deadline.hasExpired();
}

} // namespace

// Fonts, glyph caches and the bar code library set themselves up once, before the inputs.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ensureGuiApplication();
    virt::VirtualPrinter printer(QStringLiteral("warm-up"), virt::VirtualProfile::defaultProfile());
    printAll(printer,
             QByteArray("Warm \x1b\x45\x01up\n") +
                 QByteArray::fromHex("1d6b4905 7b42313233 1d286b0300314503 1d286b0700315030414243 "
                                     "1d286b0300315130 1d564100"),
             4096);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    virt::VirtualPrinter printer(QStringLiteral("fuzz"), virt::VirtualProfile::defaultProfile());
    if (!printAll(printer, fuzzBytes(data + 1, size - 1), qMax<qsizetype>(1, data[0] * 16)))
        __builtin_trap(); // a stream must never keep the printer busy this long
    return 0;
}
