#pragma once

#include "commandtable.h"

#include <QByteArray>

namespace virt {

// Why bytes were passed over rather than run.
enum class SkipReason { UnknownControlByte, UnknownCommand, RefusedHeader, TruncatedCommand };
// "unknown control byte", "unknown command", "refused header", "truncated command".
const char* skipReasonText(SkipReason reason);

// Receives what the interpreter recognises, one call per printable byte or complete command.
class CommandSink {
public:
    virtual ~CommandSink() = default;
    virtual void printable(quint8 byte) = 0;
    // frame: the whole command, prefix and arguments.
    virtual void command(const CommandEntry& entry, const QByteArray& frame) = 0;
    // Bytes skipped: an unknown command, a command whose header was refused, or one the stream
    // ended inside.
    virtual void skipped(const QByteArray& bytes, SkipReason why) {
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

    void feed(quint8 byte) {
        m_byteAt = m_position++;
        take(byte);
    }
    void feed(QByteArrayView bytes) {
        for (char c : bytes)
            feed(static_cast<quint8>(c));
    }
    // The stream ended: a half-received command is dropped and counted as truncated.
    void finish();
    // Drops a half-received command without counting it (the link was reset).
    void reset();

    // Where in the stream the next byte fed stands; a cleared buffer moves it past what was dropped.
    qint64 position() const { return m_position; }
    void setPosition(qint64 position) { m_position = position; }
    // The stream offset of what the sink is being handed: the printable byte, or the frame's first byte.
    qint64 deliveredAt() const { return m_deliveredAt; }
    // Where the frame being collected began, or position() between frames.
    qint64 pendingFrom() const { return m_frame.isEmpty() ? m_position : m_frameStart; }

    bool inCommand() const { return !m_frame.isEmpty(); }
    qsizetype pendingBytes() const { return m_frame.size(); }
    int unknownCount() const { return m_unknown; }
    int refusedCount() const { return m_refused; }
    int truncatedCount() const { return m_truncated; }

private:
    void take(quint8 byte);
    void begin() { m_frameStart = m_byteAt; }
    void check();
    void skip(const QByteArray& bytes, SkipReason why);

    CommandSink* m_sink;
    const CommandEntry* m_entry = nullptr;
    QByteArray m_frame;
    qint64 m_position = 0;
    qint64 m_byteAt = 0;
    qint64 m_frameStart = 0;
    qint64 m_deliveredAt = 0;
    int m_unknown = 0;
    int m_refused = 0;
    int m_truncated = 0;
};

} // namespace virt
