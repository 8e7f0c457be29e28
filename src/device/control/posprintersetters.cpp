// The POS printer control's writable properties beyond the ones the windows set.
#include "device/control/controlrules.h"
#include "device/control/posprintercontrol.h"
#include "device/escpos/escposencoder.h"

namespace device {

using namespace opos;

template <typename Set> void PosPrinterControl::setWhenEnabled(const char* property, Set&& set) {
    runCall(m_result, m_events, property, [&]() -> Outcome {
        if (auto refused = deviceCheck())
            return *refused;
        return set();
    });
}

void PosPrinterControl::setBinaryConversion(qint32 conversion) {
    runCall(m_result, m_events, "BinaryConversion",
            [&] { return device::setBinaryConversion(isOpen(), m_binaryConversion, conversion); });
}

void PosPrinterControl::setMapMode(qint32 mode) {
    setWhenEnabled("MapMode", [&] {
        const Outcome outcome = m_metrics.setMapMode(mode);
        applyMetrics();
        return outcome;
    });
}

// Characters go out in the printer's code page as they are mapped; unmapped output is not offered.
void PosPrinterControl::setMapCharacterSet(bool map) {
    runCall(m_result, m_events, "MapCharacterSet", [&]() -> Outcome {
        if (!isOpen())
            return OPOS_E_CLOSED;
        return map ? OPOS_E_ILLEGAL : OPOS_SUCCESS;
    });
}

void PosPrinterControl::setRotateSpecial(qint32 rotation) {
    runCall(m_result, m_events, "RotateSpecial", [&]() -> Outcome {
        if (!isOpen())
            return OPOS_E_CLOSED;
        const bool sideways = rotation == PTR_RP_LEFT90 || rotation == PTR_RP_RIGHT90;
        if (rotation != PTR_RP_NORMAL && rotation != PTR_RP_ROTATE180 && !(sideways && CapRecLeft90()))
            return OPOS_E_ILLEGAL;
        m_rotateSpecial = rotation;
        return OPOS_SUCCESS;
    });
}

// No cartridge sensor: notification cannot be turned on, and the one cartridge prints primary.
void PosPrinterControl::setCartridgeNotify(qint32 notify) {
    runCall(m_result, m_events, "CartridgeNotify", [&]() -> Outcome {
        if (!isOpen())
            return OPOS_E_CLOSED;
        return notify == 0 ? OPOS_SUCCESS : OPOS_E_ILLEGAL;
    });
}

void PosPrinterControl::setRecCurrentCartridge(qint32 cartridge) {
    setWhenEnabled("RecCurrentCartridge", [&]() -> Outcome {
        return cartridge == PTR_COLOR_PRIMARY ? OPOS_SUCCESS : OPOS_E_ILLEGAL;
    });
}

// A thermal head prints one quality; the setting is kept as asked.
void PosPrinterControl::setRecLetterQuality(bool quality) {
    setWhenEnabled("RecLetterQuality", [&]() -> Outcome {
        m_letterQuality = quality;
        return OPOS_SUCCESS;
    });
}

void PosPrinterControl::setRecLineChars(qint32 chars) {
    setWhenEnabled("RecLineChars", [&] {
        const Outcome outcome = m_metrics.setLineChars(chars);
        applyMetrics();
        return outcome;
    });
}

void PosPrinterControl::setRecLineHeight(qint32 height) {
    setWhenEnabled("RecLineHeight", [&] { return m_metrics.setLineHeight(height); });
}

void PosPrinterControl::setRecLineSpacing(qint32 spacing) {
    setWhenEnabled("RecLineSpacing", [&] {
        const Outcome outcome = m_metrics.setLineSpacing(spacing);
        applyMetrics();
        return outcome;
    });
}

// The translator and the sideways pages follow the metrics; the printer gets them in front of the
// next request and whenever its line state is restored.
void PosPrinterControl::applyMetrics() {
    m_translator->setBaseFont(m_metrics.fontIndex());
    m_translator->setMapMode(m_metrics.scale());
    m_sideways.setLimits(m_profile.sidewaysMaxLines, m_profile.sidewaysMaxChars, m_metrics.lineSpacingDots(),
                         m_metrics.font().cellWidth);
    if (m_enabled)
        m_pendingSetup += EscPos::lineSpacing(m_metrics.lineSpacingDots());
}

BarcodeArguments PosPrinterControl::inDots(const BarcodeArguments& arguments) const {
    BarcodeArguments dots = arguments;
    dots.height = m_metrics.toDots(arguments.height);
    dots.width = m_metrics.toDots(arguments.width);
    dots.alignment = m_metrics.toDots(arguments.alignment);
    return dots;
}

BitmapArguments PosPrinterControl::inDots(const BitmapArguments& arguments) const {
    return BitmapArguments{arguments.fileName, m_metrics.toDots(arguments.width),
                           m_metrics.toDots(arguments.alignment)};
}

} // namespace device
