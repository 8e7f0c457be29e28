#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace device {

// A GS1-128 element string as Code 128 items (characters and code128Fnc1), FNC1 first.
struct Gs1Items {
    QString error; // empty when the data is good
    QList<int> items;
};

// "(01)09501101530003(10)AB12": the parentheses go, an FNC1 separates an element whose AI has
// no predefined length from the next one, and fixed-length elements must have their length.
// Data without parentheses is the element string itself; a GS (0x1D) in it is a separator.
Gs1Items gs1ElementString(const QByteArray& data);

// Length of AI and value together for the AIs whose first two digits have a predefined length,
// 0 for the others (which end with an FNC1 unless last).
int gs1PredefinedLength(const QByteArray& ai);

} // namespace device
