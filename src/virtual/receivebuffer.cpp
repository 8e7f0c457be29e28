#include "receivebuffer.h"

namespace virt {

ReceiveBuffer::ReceiveBuffer(qsizetype capacity, RealtimeHandler onRealtime)
    : m_onRealtime(std::move(onRealtime)), m_watch(&m_onRealtime), m_arrival(&m_watch),
      m_capacity(qMax<qsizetype>(1, capacity)) {}

void ReceiveBuffer::ArrivalWatch::command(const CommandEntry& entry, const QByteArray& frame) {
    if (isRealtime(entry.id))
        (*m_handler)(entry, frame);
}

bool ReceiveBuffer::isRealtimeOnly(QByteArrayView bytes) {
    struct Check : CommandSink {
        bool realtime = true;
        void printable(quint8) override { realtime = false; }
        void command(const CommandEntry& entry, const QByteArray&) override {
            realtime = realtime && isRealtime(entry.id);
        }
        void skipped(const QByteArray&, SkipReason) override { realtime = false; }
    } check;
    EscPosInterpreter framer(&check);
    framer.feed(bytes);
    return !bytes.isEmpty() && check.realtime && !framer.inCommand();
}

qsizetype ReceiveBuffer::receive(QByteArrayView bytes) {
    const qsizetype taken = qMin(bytes.size(), freeSpace());
    if (taken < bytes.size() || taken == freeSpace())
        m_refusedBytes = true; // full: the link may hold more
    if (taken <= 0)
        return 0;
    // Byte by byte: a clear empties what came before it, never what follows it in the same chunk.
    for (char byte : bytes.first(taken)) {
        m_bytes.append(byte);
        m_arrival.feed(static_cast<quint8>(byte));
    }
    return taken;
}

void ReceiveBuffer::receiveRealtime(QByteArrayView bytes) {
    ArrivalWatch watch(&m_onRealtime);
    EscPosInterpreter framer(&watch);
    framer.feed(bytes);
}

void ReceiveBuffer::compact() {
    if (m_readPos == m_bytes.size()) {
        m_base += m_readPos;
        m_bytes.clear();
        m_readPos = 0;
    } else if (m_readPos > 4096 && m_readPos * 2 > m_bytes.size()) {
        m_bytes.remove(0, m_readPos);
        m_base += m_readPos;
        m_readPos = 0;
    }
    m_sliceEnd = m_readPos;
}

bool ReceiveBuffer::takeRoomNotice() {
    if (!m_refusedBytes || freeSpace() <= 0)
        return false;
    m_refusedBytes = false;
    return true;
}

bool ReceiveBuffer::clear() {
    m_base += m_bytes.size();
    m_bytes.clear();
    m_readPos = 0;
    m_sliceEnd = 0;
    return takeRoomNotice();
}

} // namespace virt
