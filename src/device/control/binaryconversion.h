#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace device {

// Bytes carried in a string argument as BinaryConversion says: NONE, one character a byte (0-255);
// NIBBLE, two characters a byte, each 0x30 + four bits, high first; DECIMAL, three digits a byte.
// Nothing when the string does not hold bytes in that form.
std::optional<QByteArray> fromBinaryString(const QString& text, qint32 conversion);

} // namespace device
