#pragma once

#include "virtual/virtualprinter.h"

#include <QStringList>

// Every text line on a virtual printer's paper so far, cut receipts first.
inline QStringList paperLines(virt::VirtualPrinter& printer) {
    QStringList lines;
    for (const virt::Receipt& receipt : printer.paper()->receipts())
        for (const virt::PrintedLine& line : receipt.lines)
            lines << line.text;
    for (const virt::PrintedLine& line : printer.paper()->currentLines())
        lines << line.text;
    return lines;
}
