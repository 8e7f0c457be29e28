#pragma once

#include <QList>

namespace virt {

// The bars and spaces of Code 128 symbol values (as BarcodeRenderer::code128Values gives them),
// in modules, a bar first, the stop pattern last.
QList<int> code128ElementWidths(const QList<int>& values);

} // namespace virt
