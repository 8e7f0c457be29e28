#pragma once

#include "device/check/checkresult.h"
#include "device/registry/deviceconfig.h"

#include <QMap>
#include <QString>

namespace device {

// Checks one printer's connection without printing: finds and opens it and learns what the
// printer answers, as enabling it does (real-time status, GS r, process IDs, its name), within the
// entry's time-outs; the event loop runs meanwhile, so call it from the thread that owns one. It
// is "ok" when Enable would accept the printer, and then says what Posling can see on it.
CheckResult probeConnection(const PrinterConfig& printer);

} // namespace device
