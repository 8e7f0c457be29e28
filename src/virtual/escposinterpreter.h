#pragma once

#include "commandtable.h"

#include <QByteArray>

namespace virt {

// Receives what the interpreter recognises, one call per printable byte or complete command.
class CommandSink {
public:
    virtual ~CommandSink() = default;
    virtual void printable(quint8 byte) = 0;
    // frame: the whole command, prefix and arguments.
    virtual void command(const CommandEntry& entry, const QByteArray& frame) = 0;
    // Bytes skipped: an unknown command, or a command whose header was refused.
    virtual void skipped(const QByteArray& bytes, const char* why) {
        Q_UNUSED(bytes)
        Q_UNUSED(why)
    }
};

// Streaming ESC/POS framer: fed one byte at a time, it collects each command's arguments as the
// command table says and hands complete frames to the sink. It never holds more than one frame,
// and a frame never exceeds the table's data limit.
class EscPosInterpreter {
public:
    explicit EscPosInterpreter(CommandSink* sink) : m_sink(sink) {}

    void feed(quint8 byte);
    void feed(QByteArrayView bytes) {
        for (char c : bytes)
            feed(static_cast<quint8>(c));
    }
    // The stream ended: a half-received command is dropped and counted as truncated.
    void finish();
    // Drops a half-received command without counting it (the link was reset).
    void reset();

    bool inCommand() const { return !m_frame.isEmpty(); }
    qsizetype pendingBytes() const { return m_frame.size(); }
    int unknownCount() const { return m_unknown; }
    int refusedCount() const { return m_refused; }
    int truncatedCount() const { return m_truncated; }

private:
    void check();
    void skip(const QByteArray& bytes, const char* why);

    CommandSink* m_sink;
    const CommandEntry* m_entry = nullptr;
    QByteArray m_frame;
    int m_unknown = 0;
    int m_refused = 0;
    int m_truncated = 0;
};

} // namespace virt
