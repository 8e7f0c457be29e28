#pragma once

#include <QByteArray>

// What a control sends besides the receipt: DLE EOT n before each request, and behind it a GS r n
// or a GS ( H process ID (whose four characters differ from run to run). Left out, the bytes are
// the printed job alone. Meant for plain text and symbol jobs where no argument byte starts one of
// these.
inline QByteArray withoutStatusRequests(const QByteArray& wire) {
    QByteArray printed;
    for (qsizetype i = 0; i < wire.size(); ++i) {
        const char first = wire.at(i);
        const char second = i + 1 < wire.size() ? wire.at(i + 1) : '\0';
        if ((first == '\x10' && second == '\x04') || (first == '\x1d' && second == 'r')) {
            i += 2; // the command, its second byte and n
            continue;
        }
        if (first == '\x1d' && second == '(' && wire.mid(i + 2, 1) == "H") {
            i += 10; // GS ( H 06 00 30 30 and the four characters of the ID
            continue;
        }
        printed.append(first);
    }
    return printed;
}
