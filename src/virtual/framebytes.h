#pragma once

#include <QByteArray>

namespace virt {

// A command's arguments, read from its frame; a byte past the end reads as 0.
inline int u8(const QByteArray& frame, int i) {
    return i < frame.size() ? static_cast<quint8>(frame[i]) : 0;
}
inline int u16(const QByteArray& frame, int i) {
    return u8(frame, i) | (u8(frame, i + 1) << 8);
}
// Selector arguments come as the value or its ASCII digit.
inline int selector(int n) {
    return n >= '0' && n <= '9' ? n - '0' : n;
}

} // namespace virt
