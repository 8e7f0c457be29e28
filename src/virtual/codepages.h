#pragma once

#include <QChar>
#include <QList>

namespace virt {

// The character tables a printer selects with ESC t n, numbered as DOS and Windows number them
// (437, 857, 1252, ...); the half-width Katakana table has no such number and is kKatakana.
constexpr int kKatakana = 201;

struct CodeTable {
    int escT;         // n of ESC t n
    int codePage;     // 437, 850, ...
    const char* name; // as the panel shows it
};

// Every table the virtual printers hold, in ESC t order.
const QList<CodeTable>& codeTables();
bool isKnownCodePage(int codePage);
// The character a byte stands for in a code page; an unknown page reads as PC437.
QChar decodeByte(int codePage, quint8 byte);

} // namespace virt
