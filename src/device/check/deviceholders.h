#pragma once

#include <QString>
#include <QStringList>

namespace device {

// The processes that have the device file open, as "PID 1234 (cups)", found through the links in
// /proc/*/fd. Only processes whose descriptors this user may read show up (all of them for root).
QStringList processesHolding(const QString& path);

} // namespace device
