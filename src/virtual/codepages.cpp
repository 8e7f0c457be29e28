#include "codepages.h"

#include "device/escpos/codepage.h"

namespace virt {

using device::CodePageConverter;

bool isKnownCodePage(int codePage) {
    // 998 (plain ASCII) is the host's fallback, not a table a printer holds.
    return codePage != CodePageConverter::Ascii && CodePageConverter::isSupported(codePage);
}

QChar decodeByte(int codePage, quint8 byte) {
    // Every character of the supported pages lies in the BMP, so one QChar holds it.
    return QChar(char16_t(CodePageConverter::decodeByte(byte, isKnownCodePage(codePage) ? codePage : 437)));
}

} // namespace virt
