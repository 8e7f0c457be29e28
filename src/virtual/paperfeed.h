#pragma once

#include "paperroll.h"
#include "printermechanism.h"

#include <QtGlobal>

namespace virt {

// Moves the paper for a session and counts the motion of one processing step, so the step can end
// after one motion and the operator act between two lines. A feed of no dots still ends a step.
class PaperFeed {
public:
    explicit PaperFeed(PrinterMechanism* printer) : m_printer(printer) {}

    void feed(int dots) {
        m_printer->paper()->feed(dots);
        m_motionDots += qMax(1, dots);
    }
    void startStep() { m_motionDots = 0; }
    int motionDots() const { return m_motionDots; }

private:
    PrinterMechanism* m_printer;
    int m_motionDots = 0;
};

} // namespace virt
