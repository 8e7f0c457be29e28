#include "eventrecorder.h"

#include "opos/cashdrawer.h"
#include "opos/posprinter.h"
#include "opos/statuslines.h"

#include <QEventLoop>
#include <QTimer>

namespace runner {

EventRecorder::EventRecorder(opos::PosPrinter& printer, opos::CashDrawer& drawer, StatusOutput& output)
    : m_printer(printer), m_output(output) {
    // The response is reported as the control proposed it and left unchanged, as in the window.
    connect(&printer, &opos::PosPrinter::ErrorEvent, this,
            [this](qint32 code, qint32 extended, qint32 locus, qint32* response) {
                record(opos::errorEventLine(code, extended, locus, response ? *response : 0,
                                            m_printer.ResultCodeExtended()));
            });
    connect(&printer, &opos::PosPrinter::StatusUpdateEvent, this,
            [this](qint32 data) { record(opos::printerStatusUpdateLine(data)); });
    connect(&printer, &opos::PosPrinter::OutputCompleteEvent, this,
            [this](qint32 id) { record(opos::outputCompleteLine(id)); });
    connect(&drawer, &opos::CashDrawer::StatusUpdateEvent, this,
            [this](qint32 data) { record(opos::drawerStatusUpdateLine(data)); });
}

void EventRecorder::settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool EventRecorder::waitFor(const QRegularExpression& pattern, int withinMs) {
    if (findFromUnseen(pattern))
        return true;
    QEventLoop loop;
    bool found = false;
    QTimer::singleShot(withinMs, &loop, &QEventLoop::quit);
    const QMetaObject::Connection watch = connect(this, &EventRecorder::recorded, &loop, [&] {
        if (findFromUnseen(pattern)) {
            found = true;
            loop.quit();
        }
    });
    loop.exec();
    disconnect(watch);
    if (!found)
        m_unseen = m_events.size();
    return found;
}

void EventRecorder::record(const QString& pieces) {
    m_output.add(pieces);
    m_events << pieces;
    Q_EMIT recorded();
}

bool EventRecorder::findFromUnseen(const QRegularExpression& pattern) {
    for (qsizetype i = m_unseen; i < m_events.size(); ++i) {
        if (pattern.match(m_events.at(i)).hasMatch()) {
            m_unseen = i + 1;
            return true;
        }
    }
    return false;
}

} // namespace runner
