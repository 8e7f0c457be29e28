#include "device/check/checkresult.h"

#include "device/link/printeranswers.h"

namespace device {

QString CheckResult::text() const {
    QString label;
    switch (verdict) {
    case Verdict::Ok:
        label = QStringLiteral("ok");
        break;
    case Verdict::NotFound:
        label = QStringLiteral("not found");
        break;
    case Verdict::PermissionDenied:
        label = QStringLiteral("permission denied");
        break;
    case Verdict::Busy:
        label = QStringLiteral("busy");
        break;
    case Verdict::NoAnswer:
        label = waitedMs > 0 ? QStringLiteral("no answer within %1 ms").arg(waitedMs)
                             : QStringLiteral("no answer");
        break;
    case Verdict::NotEscPos:
        label = QStringLiteral("answers but not ESC/POS");
        break;
    case Verdict::BadEntry:
        label = QStringLiteral("bad entry");
        break;
    }
    // What a device or a devices file said reaches the terminal only as text.
    return detail.isEmpty() ? label : label + QStringLiteral(": ") + shownDeviceText(detail);
}

} // namespace device
