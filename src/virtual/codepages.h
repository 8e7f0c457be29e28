#pragma once

#include <QChar>

namespace virt {

// Code pages are numbered as Windows/DOS does (437, 858, 1252, ...); the profile maps ESC t n to them.
bool isKnownCodePage(int codePage);
// The character a byte stands for in a code page; an unknown page reads as PC437.
QChar decodeByte(int codePage, quint8 byte);

} // namespace virt
