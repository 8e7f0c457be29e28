#pragma once

#include "printermechanism.h"

#include <QByteArray>
#include <QImage>

namespace virt {

// The images of the command stream as ink: raster images (GS v 0), bit images in columns (ESC *)
// and the graphics buffer (GS ( L, GS 8 L), which holds one image until ESC @.
class ImageCommands {
public:
    explicit ImageCommands(PrinterMechanism* printer) : m_printer(printer) {}

    QImage raster(const QByteArray& frame) const;
    static QImage columnImage(const QByteArray& frame);
    // GS ( L / GS 8 L, whose function byte follows `header` bytes: fn 112 stores an image in the
    // graphics buffer, fn 50 returns the stored one to print; the rest print nothing (null).
    QImage graphics(const QByteArray& frame, int header);
    void clear() { m_stored = QImage(); }

private:
    // Rows of MSB-first bits from `offset`, scaled by sx x sy; what lies past the paper is clipped
    // first, never scaled up.
    QImage bitImage(const QByteArray& frame, int offset, int bytesPerRow, int width, int rows, int sx,
                    int sy) const;

    PrinterMechanism* m_printer;
    QImage m_stored;
};

} // namespace virt
