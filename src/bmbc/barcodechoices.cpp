#include "barcodechoices.h"

#include "opos/oposconstants.h"

#include <array>

namespace bmbc {

namespace {

struct NamedSymbology {
    const char* name;
    qint32 code;
};

// Nineteen of these are recognised only when typed; the drop-down list offers the other eight.
constexpr std::array<NamedSymbology, 27> symbologies{{
    {"UPC-A", opos::PTR_BCS_UPCA},          {"UPC-E", opos::PTR_BCS_UPCE},
    {"JAN 8", opos::PTR_BCS_JAN8},          {"JAN 13", opos::PTR_BCS_JAN13},
    {"EAN 8", opos::PTR_BCS_EAN8},          {"EAN 13", opos::PTR_BCS_EAN13},
    {"Discrete 2 of 5", opos::PTR_BCS_TF},  {"Interleaved 2 of 5", opos::PTR_BCS_ITF},
    {"Codabar", opos::PTR_BCS_Codabar},     {"Code 39", opos::PTR_BCS_Code39},
    {"Code 93", opos::PTR_BCS_Code93},      {"Code 128", opos::PTR_BCS_Code128},
    {"UPC-A SUPL", opos::PTR_BCS_UPCA_S},   {"UPC-E SUPL", opos::PTR_BCS_UPCE_S},
    {"UPC-D1", opos::PTR_BCS_UPCD1},        {"UPC-D2", opos::PTR_BCS_UPCD1 + 1},
    {"UPC-D3", opos::PTR_BCS_UPCD1 + 2},    {"UPC-D4", opos::PTR_BCS_UPCD1 + 3},
    {"UPC-D5", opos::PTR_BCS_UPCD5},        {"EAN 8 SUPL", opos::PTR_BCS_EAN8_S},
    {"EAN 13 SUPL", opos::PTR_BCS_EAN13_S}, {"EAN 128", opos::PTR_BCS_EAN128},
    {"OCR A", opos::PTR_BCS_OCRA},          {"OCR B", opos::PTR_BCS_OCRB},
    {"PDF 417", opos::PTR_BCS_PDF417},      {"MAXICODE", opos::PTR_BCS_MAXICODE},
    {"Other", opos::PTR_BCS_OTHER},
}};

struct Samples {
    qint32 code;
    // By width 2, 3 and 4: longer data for narrower bars.
    std::array<const char*, 3> byWidth;
};

// The small Code 128 sample: start character C ("i"), then "!" up to "1".
const char* const code128Small = "i!\"#$%&'()*+,-./01";

constexpr std::array<Samples, 8> samples{{
    {opos::PTR_BCS_UPCA, {"01234567890", "01234567890", "01234567890"}},
    {opos::PTR_BCS_UPCE, {"01220000034", "01220000034", "01220000034"}},
    {opos::PTR_BCS_JAN8, {"12121212", "12121212", "12121212"}},
    {opos::PTR_BCS_JAN13, {"1012345678904", "1012345678904", "1012345678904"}},
    {opos::PTR_BCS_ITF, {"648129753059487615342048976531", "90238200114139042178", "54810548673912"}},
    {opos::PTR_BCS_Codabar, {"A580$76:415+89-34/2.D", "C2$6+8/4.39-5B", "D57+9$32:A"}},
    {opos::PTR_BCS_Code39, {"HEU 2483+45%JKE", "F4$JS984D", "F4/35G"}},
    {opos::PTR_BCS_Code128, {code128Small, "hABCDEFGHI", "g3456789"}},
}};

constexpr qint32 narrowestWidth = 2;
constexpr qint32 widestWidth = 4;

} // namespace

std::optional<qint32> symbologyCode(const QString& name) {
    for (const NamedSymbology& entry : symbologies)
        if (name == QLatin1String(entry.name))
            return entry.code;
    return std::nullopt;
}

std::optional<QString> barCodeSample(qint32 width, qint32 symbology) {
    if (width < narrowestWidth || width > widestWidth)
        return std::nullopt;
    for (const Samples& entry : samples)
        if (entry.code == symbology)
            return QString::fromLatin1(entry.byWidth[width - narrowestWidth]);
    return QStringLiteral("ERROR");
}

} // namespace bmbc
