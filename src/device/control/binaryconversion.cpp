#include "device/control/binaryconversion.h"

#include "opos/oposconstants.h"

namespace device {

std::optional<QByteArray> fromBinaryString(const QString& text, qint32 conversion) {
    QByteArray bytes;
    switch (conversion) {
    case opos::OPOS_BC_NONE:
        for (const QChar c : text) {
            if (c.unicode() > 0xFF)
                return std::nullopt;
            bytes += static_cast<char>(c.unicode());
        }
        return bytes;
    case opos::OPOS_BC_NIBBLE:
        if (text.size() % 2)
            return std::nullopt;
        for (qsizetype i = 0; i < text.size(); i += 2) {
            const char16_t high = text.at(i).unicode() - 0x30, low = text.at(i + 1).unicode() - 0x30;
            if (high > 0x0F || low > 0x0F)
                return std::nullopt;
            bytes += static_cast<char>(high << 4 | low);
        }
        return bytes;
    case opos::OPOS_BC_DECIMAL:
        if (text.size() % 3)
            return std::nullopt;
        for (qsizetype i = 0; i < text.size(); i += 3) {
            bool ok = false;
            const int value = text.mid(i, 3).toInt(&ok);
            if (!ok || value > 0xFF || !text.at(i).isDigit())
                return std::nullopt;
            bytes += static_cast<char>(value);
        }
        return bytes;
    default:
        return std::nullopt;
    }
}

} // namespace device
