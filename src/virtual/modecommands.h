#pragma once

#include "commandtable.h"
#include "printermechanism.h"
#include "printmodes.h"

#include <QByteArray>

namespace virt {

// The commands that only set a print mode (ESC !, ESC -, GS !, ESC t, GS h, ...), each taking the
// values a printer accepts and ignoring the others.
class ModeCommands {
public:
    ModeCommands(PrinterMechanism* printer, PrintModes* modes) : m_printer(printer), m_modes(modes) {}

    // False for a command that is not one of them.
    bool apply(const CommandEntry& entry, const QByteArray& frame);

private:
    void setTabStops(const QByteArray& frame);
    void setCodeTable(int n);

    PrinterMechanism* m_printer;
    PrintModes* m_modes;
};

} // namespace virt
