#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace opos {

// The value of a constant of oposconstants.h by its name, upper or lower case alike
// ("PTR_S_RECEIPT", "ptr_bcs_code128"); no value for a name it does not declare.
std::optional<qint32> constantValue(const QString& name);

// Every name of oposconstants.h, as it spells them.
QStringList constantNames();

} // namespace opos
