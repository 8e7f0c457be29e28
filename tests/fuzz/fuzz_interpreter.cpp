// Any byte stream into the virtual printer, in chunks of the first byte's size, printed as fast as
// it goes: huge images, pages and 2D codes included.
#include "fuzzsupport.h"
#include "virtual/escpossession.h"
#include "virtual/virtualprinter.h"

#include <QDeadlineTimer>

namespace {

// Feeds a stream as a host would and lets the printer print all it can; false when it took too long.
// The link goes when done, as a host that closes its connection.
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
    printer.clearBuffers(session);
    printer.detach(session);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return !deadline.hasExpired();
}

// One printer for the whole run, as a printer serves one host after another: each input has a
// link of its own (all the interpreter's state lives there) and a blank roll, and the paper it
// draws on is not made afresh for every input.
virt::VirtualPrinter& printer() {
    static virt::VirtualPrinter shared(QStringLiteral("fuzz"), virt::VirtualProfile::defaultProfile());
    return shared;
}

} // namespace

// Fonts, glyph caches and the bar code library set themselves up once, before the inputs.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ensureGuiApplication();
    printAll(printer(),
             QByteArray("Warm \x1b\x45\x01up\n") +
                 QByteArray::fromHex("1d6b4905 7b42313233 1d286b0300314503 1d286b0700315030414243 "
                                     "1d286b0300315130 1d564100"),
             4096);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    if (!printAll(printer(), fuzzBytes(data + 1, size - 1), qMax<qsizetype>(1, data[0] * 16)))
        __builtin_trap(); // a stream must never keep the printer busy this long
    printer().paper()->clear();
    printer().wireLog()->clear();
    return 0;
}
