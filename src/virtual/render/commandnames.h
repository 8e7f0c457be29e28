#pragma once

#include "virtual/commandtable.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace virt {

// A command's arguments under the names the ESC/POS reference gives them (n, m, nL nH, pL pH cn fn
// ...), one byte each; what follows the named ones is the command's data.
struct CommandParameters {
    QString mnemonic; // "GS V", or with its function: "GS ( k", "GS 8 L", "GS v 0"
    QList<std::pair<QByteArray, int>> values;
    qsizetype dataBytes = 0;
};

CommandParameters commandParameters(const CommandEntry& entry, QByteArrayView frame);

} // namespace virt
