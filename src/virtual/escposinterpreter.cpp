#include "escposinterpreter.h"

namespace virt {

const char* skipReasonText(SkipReason reason) {
    switch (reason) {
    case SkipReason::UnknownControlByte:
        return "unknown control byte";
    case SkipReason::UnknownCommand:
        return "unknown command";
    case SkipReason::RefusedHeader:
        return "refused header";
    case SkipReason::TruncatedCommand:
        return "truncated command";
    }
    return "skipped";
}

void EscPosInterpreter::take(quint8 byte) {
    if (m_entry) {
        m_frame.append(char(byte));
        check();
        return;
    }
    if (m_frame.isEmpty()) {
        begin();
        if (const CommandEntry* entry = CommandTable::single(byte)) {
            m_entry = entry;
            m_frame.append(char(byte));
            check();
        } else if (CommandTable::isPrefix(byte)) {
            m_frame.append(char(byte));
        } else if (byte >= 0x20) {
            m_deliveredAt = m_byteAt;
            m_sink->printable(byte);
        } else {
            ++m_unknown;
            skip(QByteArray(1, char(byte)), SkipReason::UnknownControlByte);
        }
        return;
    }
    // Second byte of ESC, GS, DLE or FS.
    const quint8 prefix = static_cast<quint8>(m_frame[0]);
    if (const CommandEntry* entry = CommandTable::pair(prefix, byte)) {
        m_entry = entry;
        m_frame.append(char(byte));
        check();
        return;
    }
    ++m_unknown;
    if (byte < 0x20) {
        // A control byte cannot be an argument of an unknown command: it starts something new.
        skip(m_frame, SkipReason::UnknownCommand);
        m_frame.clear();
        take(byte);
        return;
    }
    m_frame.append(char(byte));
    skip(m_frame, SkipReason::UnknownCommand);
    m_frame.clear();
}

void EscPosInterpreter::check() {
    const int needed = CommandTable::required(*m_entry, m_frame);
    if (needed == kRefuse) {
        ++m_refused;
        const QByteArray frame = m_frame;
        m_frame.clear();
        m_entry = nullptr;
        skip(frame, SkipReason::RefusedHeader);
        return;
    }
    if (needed > 0 && m_frame.size() >= needed) {
        const CommandEntry* entry = m_entry;
        const QByteArray frame = m_frame;
        m_frame.clear();
        m_entry = nullptr;
        m_deliveredAt = m_frameStart;
        m_sink->command(*entry, frame);
        return;
    }
    // Data blocks are declared up front: reserve once instead of growing byte by byte.
    if (needed > 0 && m_frame.capacity() < needed)
        m_frame.reserve(needed);
}

void EscPosInterpreter::skip(const QByteArray& bytes, SkipReason why) {
    m_deliveredAt = m_frameStart;
    m_sink->skipped(bytes, why);
}

void EscPosInterpreter::finish() {
    if (m_frame.isEmpty())
        return;
    ++m_truncated;
    const QByteArray frame = m_frame;
    reset();
    skip(frame, SkipReason::TruncatedCommand);
}

void EscPosInterpreter::reset() {
    m_frame.clear();
    m_frame.squeeze();
    m_entry = nullptr;
}

} // namespace virt
