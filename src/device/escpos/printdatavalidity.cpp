#include "device/escpos/printdatavalidity.h"

#include "opos/oposconstants.h"

namespace device {

qint32 resultCodeOf(DataValidity validity) {
    switch (validity) {
    case DataValidity::Supported:
        return opos::OPOS_SUCCESS;
    case DataValidity::Approximated:
        return opos::OPOS_E_FAILURE;
    case DataValidity::Unsupported:
        break;
    }
    return opos::OPOS_E_ILLEGAL;
}

} // namespace device
