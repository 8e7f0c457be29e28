#pragma once

#include <QString>

#include <optional>

namespace bmbc {

// The symbology code a name in the symbology box stands for. Names are compared exactly (case,
// blanks and all), in table order; an unknown name gives no code.
std::optional<qint32> symbologyCode(const QString& name);

// The ready-made data that suits a symbology at a bar code width of 2, 3 or 4 ("ERROR" for a
// symbology without samples). Any other width has no sample.
std::optional<QString> barCodeSample(qint32 width, qint32 symbology);

} // namespace bmbc
