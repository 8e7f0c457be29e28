#include "device/escpos/latealignment.h"

#include "device/escpos/escposencoder.h"
#include "device/escpos/printlineposition.h"

#include <utility>

namespace device {

void LateAlignment::hold(qsizetype padAt, int justification, const PrintLinePosition& line, int underlineDots,
                         bool reverse) {
    m_held = Held{padAt, justification, line.lineDots(), line.characterDots(), underlineDots, reverse};
}

void LateAlignment::place(QByteArray& out, PrintLinePosition& line) {
    if (!m_held)
        return;
    const Held held = *std::exchange(m_held, std::nullopt);
    const int freeDots = held.lineDots - line.usedDots();
    const int padDots = held.justification == 2 ? freeDots : freeDots / 2;
    if (held.spaceDots <= 0 || padDots < held.spaceDots)
        return;
    const int spaces = padDots / held.spaceDots;
    line.skipDots(spaces * held.spaceDots);
    QByteArray pad;
    if (held.underlineDots != 0)
        pad += EscPos::underline(0);
    if (held.reverse)
        pad += EscPos::reverse(false);
    pad += QByteArray(spaces, ' ');
    if (held.reverse)
        pad += EscPos::reverse(true);
    if (held.underlineDots != 0)
        pad += EscPos::underline(held.underlineDots);
    out.insert(held.padAt, pad);
}

} // namespace device
