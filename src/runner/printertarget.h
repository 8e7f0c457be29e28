#pragma once

#include "plan.h"

#include <QString>
#include <functional>

namespace runner {

// One printer a plan runs on.
struct PrinterTarget {
    QString devicesFile; // empty: the devices file the program finds as usual
    QString printer;     // a printer section of it; empty: the printer the plan opens
};

// What the program found for a target, once it made the controls that are made next use it.
struct PrinterSetting {
    QString devices;    // the devices file read ("built-in defaults"), with what is wrong with it
    QString printer;    // the printer's logical name
    QString connection; // its entry's connection; empty when the devices file has no such entry
    QString drawer;     // the cash drawer entry hanging on the printer; empty when there is none
};

// Makes the controls made from now on read `devicesFile` (the usual one when empty) and says what
// it holds for the printer named `printer`. The program hands it to the runner, which knows the
// controls only by their contracts.
using PrinterSelector = std::function<PrinterSetting(const QString& devicesFile, const QString& printer)>;

// The logical names the plan opens its printer and its drawer with (the first Open of each), or
// the usual ones, Z901 and Z901-1, when it opens none.
QString plannedPrinter(const Plan& plan);
QString plannedDrawer(const Plan& plan);

// The plan for another printer section: the Open steps that name the plan's printer name
// `printer` instead, those that name its drawer `drawer`.
Plan retarget(const Plan& plan, const QString& printer, const QString& drawer);

} // namespace runner
