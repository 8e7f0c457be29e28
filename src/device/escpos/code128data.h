#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace device {

// Code 128 data in the printer's code-set syntax ("{A", "{B", "{C" selectors, "{1" FNC1, "{{" a
// literal brace), with the count of symbol characters it makes so the width can be computed.
struct Code128Text {
    QString error;      // empty when the data is good
    QByteArray escaped; // what follows GS k 73 n
    int symbols = 0;    // start, code changes, shifts, functions and data; no check, no stop

    int modules() const { return 11 * (symbols + 1) + 13; } // + check character, + stop
};

// The PrintBarCode Code 128 argument: "{" code-set syntax passes through after checking; a
// leading start character 103, 104 or 105 ('g', 'h', 'i') selects set A, B or C for the rest
// (in set C each character is one symbol value 0..99); anything else is set B.
Code128Text code128FromArgument(const QByteArray& data);

// Text in sets B and C chosen here: set C for runs of four or more digits, set B otherwise.
// Items are characters 0x20..0x7F or code128Fnc1.
inline constexpr int code128Fnc1 = -1;
Code128Text code128Automatic(const QList<int>& items);

} // namespace device
