#pragma once

#include "statusoutput.h"

#include <QObject>
#include <QRegularExpression>
#include <QStringList>

namespace opos {
class CashDrawer;
class PosPrinter;
} // namespace opos

namespace runner {

// Writes the events of both controls as the windows do, and lets a plan wait for one.
class EventRecorder : public QObject {
    Q_OBJECT
public:
    EventRecorder(opos::PosPrinter& printer, opos::CashDrawer& drawer, StatusOutput& output);

    // Runs the event loop for `ms`, so events of the step before show in order.
    static void settle(int ms);

    // True once an event line (after its number) that came after the one the previous wait matched
    // matches `pattern`; runs the event loop for at most `withinMs`.
    bool waitFor(const QRegularExpression& pattern, int withinMs);

Q_SIGNALS:
    void recorded();

private:
    void record(const QString& pieces);
    bool findFromUnseen(const QRegularExpression& pattern);

    opos::PosPrinter& m_printer;
    StatusOutput& m_output;
    QStringList m_events;
    qsizetype m_unseen = 0; // the first event a wait may still match
};

} // namespace runner
