#pragma once

#include <QByteArray>

#include <optional>

namespace device {

class PrintLinePosition;

// An alignment (ESC|cA, ESC|rA) after text, which the printer would ignore: the rest of the line
// is held, and once the line is complete, spaces before it move it to the right edge or to the
// middle of the space left. The gap stays blank, as the printer's own justification leaves it.
class LateAlignment {
public:
    // Holds the rest of the line, which starts at `padAt` in the output of this call.
    void hold(qsizetype padAt, int justification, const PrintLinePosition& line, int underlineDots,
              bool reverse);
    // Puts the spaces before the held text, if any is held, and lets it go. Text that does not fit
    // gets none and wraps on the printer.
    void place(QByteArray& out, PrintLinePosition& line);
    // The line goes on in later data: what is held goes out as it stands.
    void drop() { m_held.reset(); }

private:
    struct Held {
        qsizetype padAt = 0;   // where in the output of this call the padding goes
        int justification = 0; // 1 centre, 2 right
        int lineDots = 0;
        int spaceDots = 0;
        int underlineDots = 0;
        bool reverse = false;
    };
    std::optional<Held> m_held;
};

} // namespace device
