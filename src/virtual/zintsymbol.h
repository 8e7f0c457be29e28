#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <zint.h>

namespace virt {

struct ZintSymbolDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};
using ZintSymbol = std::unique_ptr<zint_symbol, ZintSymbolDeleter>;

// The data encoded by libzint as `symbology`, without its human-readable text; null with
// libzint's reason when the data does not fit the symbology.
ZintSymbol encodeSymbol(int symbology, const QByteArray& data, QString* error, int option1 = -1,
                        int option2 = 0, int option3 = 0, int inputMode = DATA_MODE);

inline bool moduleSet(const zint_symbol* symbol, int row, int column) {
    return (symbol->encoded_data[row][column >> 3] >> (column & 7)) & 1;
}

} // namespace virt
