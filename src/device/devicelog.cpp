#include "devicelog.h"

Q_LOGGING_CATEGORY(lcDevice, "posling.device")
