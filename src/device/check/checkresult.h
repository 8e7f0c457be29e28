#pragma once

#include <QString>

namespace device {

// What checking one device found, in the words the report prints.
struct CheckResult {
    enum class Verdict {
        Ok,
        NotFound,         // no such file or host, or nothing accepts the connection
        PermissionDenied, // the device exists but this user may not use it
        Busy,             // another program holds the device
        NoAnswer,         // opened, but no reply came in time (or opening took too long)
        NotEscPos,        // a reply came whose fixed status bits are wrong
        BadEntry          // the registry entry itself cannot be used
    };

    Verdict verdict = Verdict::Ok;
    QString detail;   // what was seen and what to do about it
    int waitedMs = 0; // for NoAnswer: the time-out that ran out (0 when the link closed instead)

    bool ok() const { return verdict == Verdict::Ok; }
    // "ok: answers as \"Model\"", "no answer within 300 ms: ...".
    QString text() const;
};

} // namespace device
