#pragma once

#include <QByteArray>

namespace device {

inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when every byte is a decimal digit (so also for no bytes at all).
inline bool allDigits(const QByteArray& text) {
    for (char c : text)
        if (!isDigit(c))
            return false;
    return true;
}

} // namespace device
