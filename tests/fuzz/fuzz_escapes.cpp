// The typed-text escape decoder and the typed-number conversion of the windows' boxes.
#include "fuzzsupport.h"
#include "opos/escapedecoder.h"
#include "opos/typednumber.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(fuzzBytes(data, size));
    const QString decoded = opos::decodeEscapes(text);
    if (decoded.size() > text.size())
        __builtin_trap(); // an escape never makes the text longer
    (void)opos::parseTypedNumber(text);
    return 0;
}
