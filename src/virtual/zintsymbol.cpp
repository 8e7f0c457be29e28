#include "zintsymbol.h"

namespace virt {

ZintSymbol encodeSymbol(int symbology, const QByteArray& data, QString* error, int option1, int option2,
                        int option3, int inputMode) {
    ZintSymbol symbol(ZBarcode_Create());
    if (!symbol) {
        *error = QStringLiteral("bar code library unavailable");
        return nullptr;
    }
    symbol->symbology = symbology;
    symbol->input_mode = inputMode;
    symbol->option_1 = option1;
    symbol->option_2 = option2;
    symbol->option_3 = option3;
    symbol->show_hrt = 0;
    const int result = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()),
                                       int(data.size()));
    if (result >= ZINT_ERROR) {
        *error = QString::fromLatin1(symbol->errtxt);
        return nullptr;
    }
    return symbol;
}

} // namespace virt
