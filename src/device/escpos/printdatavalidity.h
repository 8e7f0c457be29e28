#pragma once

#include <QtGlobal>

namespace device {

// How exactly the printer can print some data (ValidateData), ordered from best to worst.
enum class DataValidity {
    Supported,
    Approximated, // OPOS_E_FAILURE: printed, but not as asked
    Unsupported,  // OPOS_E_ILLEGAL: a sequence or character the printer cannot print
};
qint32 resultCodeOf(DataValidity validity);

} // namespace device
