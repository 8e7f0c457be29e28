#pragma once

#include <QString>
#include <QStringList>

namespace virt {

// The kinds of reply a printer may send. Which of them a printer sends is what tells one kind of
// printer in the field from another; every reply is checked against it where it leaves.
enum class ReplyKind : quint8 {
    Realtime = 0x01,    // DLE EOT
    Transmit = 0x02,    // GS r, ESC v, ESC u
    PrinterInfo = 0x04, // GS I
    Automatic = 0x08,   // GS a status blocks (GS a itself is always taken)
    ProcessId = 0x10,   // GS ( H fn 48
    // DLE DC4 fn 8 is known: the buffers are emptied and the printer says so. A printer without it
    // passes over the command at its length and keeps what it holds.
    BufferClear = 0x20,
};

// What one kind of printer answers. Every kind prints the same paper from the same bytes, keeps the
// real-time commands without a reply (DLE ENQ, the DLE DC4 fn 1 drawer pulse) and takes every
// command at its length; only the replies differ.
struct ReplyPersonality {
    QString id;          // the value of answers= and --answers: all, gsr, realtime, none
    QString description; // completes "This printer ..."
    quint8 kinds = 0;

    bool answers(ReplyKind kind) const { return (kinds & quint8(kind)) != 0; }

    // Upper or lower case alike; nothing for an unknown id.
    static const ReplyPersonality* byId(const QString& id);
    static const ReplyPersonality& full(); // today's printer: every reply
    static QStringList knownIds();
};

} // namespace virt
