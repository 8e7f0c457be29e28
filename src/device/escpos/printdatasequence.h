#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

#include <optional>

namespace device {

// One escape sequence of print data: ESC | [!] [digits] [lower-case letters] UPPER-CASE letter.
struct PrintDataSequence {
    bool negated = false;
    std::optional<int> number; // bounded, so that no feed or repeat can overflow or explode
    QString lower;
    QChar upper;

    // Reads the sequence that starts at pos, just after "ESC|", and moves pos past it. A sequence
    // that breaks off gives nothing; pos then stands where it broke off, nothing after it consumed.
    static std::optional<PrintDataSequence> parse(QStringView data, qsizetype& pos);
};

} // namespace device
