#pragma once

#include <QLoggingCategory>

// Traces of the controls, the registry, the links and the transports.
Q_DECLARE_LOGGING_CATEGORY(lcDevice)
