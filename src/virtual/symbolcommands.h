#pragma once

#include "printermechanism.h"
#include "printmodes.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <array>
#include <optional>

namespace virt {

// A bar code or 2D symbol ready to print; a null image says why it could not be drawn.
struct SymbolImage {
    QImage image;
    QString what; // "bar code", "QR", ...
    QString error;
};

// Bar codes (GS k) and 2D symbols (GS ( k) drawn as the modes set them. Each 2D symbol keeps the
// data stored for it until it is printed again or ESC @.
class SymbolCommands {
public:
    SymbolCommands(PrinterMechanism* printer, PrintModes* modes) : m_printer(printer), m_modes(modes) {}

    // GS k: the bars with their HRI text where GS H places it.
    SymbolImage barcode(const QByteArray& frame) const;
    // GS ( k: a setting or stored data (nothing to print), or fn 81: the stored symbol drawn.
    std::optional<SymbolImage> run2D(const QByteArray& frame);
    void clear();

private:
    QImage hriText(const QString& text) const;
    void setParameter(int cn, int fn, int a, int b);
    SymbolImage draw(int cn) const;

    PrinterMechanism* m_printer;
    PrintModes* m_modes;
    std::array<QByteArray, 3> m_data; // by cn: PDF417, QR code, MaxiCode
};

} // namespace virt
