#pragma once

#include "printermechanism.h"

#include <QByteArray>
#include <QObject>
#include <functional>

namespace virt {

// Everything a link hears from the printer: real-time and transmitted status, automatic status
// back, printer information and the answers to process IDs and buffer clears. Every reply passes
// one place, where the printer's personality decides whether it goes out at all. Replies leave from
// the event loop, never inside the call that caused them, and not at all while it is off line.
class StatusReplies {
public:
    using Output = std::function<void(const QByteArray&)>;

    // Replies still queued when `context` goes are dropped.
    StatusReplies(PrinterMechanism* printer, Output output, QObject* context);

    // The link is gone: replies still queued go nowhere.
    void disconnectOutput() { m_output = nullptr; }

    quint8 automaticMask() const { return m_asbMask; }
    // GS a n: the changes that send a status block; enabling any sends one at once.
    void setAutomatic(quint8 mask);
    // A sensor changed: one status block when this link asked for one of `items`.
    void sensorsChanged(quint8 items);

    void realtime(int n);                      // DLE EOT n
    void transmit(int n);                      // GS r n; ESC v is GS r 1
    void peripheralStatus(int n);              // ESC u n: the drawer pin, as GS r 2
    void printerInfo(int n);                   // GS I n
    void processDone(const QByteArray& frame); // GS ( H fn 48, reached in order
    void buffersCleared();                     // DLE DC4 fn 8

private:
    void send(ReplyKind kind, const QByteArray& bytes);

    PrinterMechanism* m_printer;
    Output m_output;
    QObject* m_context;
    quint8 m_asbMask = 0;
};

} // namespace virt
