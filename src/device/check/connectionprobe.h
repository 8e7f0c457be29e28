#pragma once

#include "device/check/checkresult.h"
#include "device/registry/deviceconfig.h"

#include <QMap>
#include <QString>

namespace device {

// One connection to check, with what the registry says about it.
struct ProbeTarget {
    QString connection;
    QMap<QString, QString> options; // for TransportFactory::create
    LinkTimings timings;
};

// Checks one connection without printing: finds and opens it, asks DLE EOT 1 where the link can
// answer and, once that is answered, GS I 67 and 66 for the model and maker. Each wait ends at the
// entry's time-out; the event loop runs meanwhile, so call it from the thread that owns one.
CheckResult probeConnection(const ProbeTarget& target);

} // namespace device
