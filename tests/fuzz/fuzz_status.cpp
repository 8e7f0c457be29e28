// What a printer sends back, split at every place the first byte says.
#include "device/link/printerstatus.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const QByteArray bytes = fuzzBytes(data + 1, size - 1);
    const qsizetype step = qMax<qsizetype>(1, data[0]);
    device::StatusParser parser;
    device::PrinterStatus status;
    for (qsizetype at = 0; at < bytes.size(); at += step)
        for (const device::StatusMessage& message : parser.feed(bytes.mid(at, step))) {
            // A GS I reply may be empty (the printer keeps no such text); nothing else may.
            if (message.bytes.isEmpty() && message.kind != device::StatusMessage::Kind::Information)
                __builtin_trap();
            if (message.kind == device::StatusMessage::Kind::Automatic)
                device::applyAutomatic(status, message.bytes);
            else if (message.kind == device::StatusMessage::Kind::RealTime)
                device::applyRealTime(status, 1 + data[0] % 4, quint8(message.bytes.at(0)));
        }
    return 0;
}
