#pragma once

#include <QByteArray>
#include <QImage>

namespace virt {

// A one-bit image (Format_Mono) as PNG, its two colours as the palette. Receipts are long runs of
// paper and of ink, which run-length deflate packs about as well as the general encoder at a
// fraction of its time. Empty when the image is not one bit a dot or cannot be packed.
QByteArray monoPng(const QImage& image);

} // namespace virt
