#pragma once

#include "escposinterpreter.h"

#include <QByteArray>
#include <functional>

namespace virt {

// A link's receive buffer: holds what arrived until the printer gets to it and refuses what does
// not fit (the link keeps that: flow control). Real-time commands are acted on as they arrive,
// ahead of everything buffered; their copy in the buffer is passed over when the printer reaches it.
class ReceiveBuffer {
public:
    using RealtimeHandler = std::function<void(const CommandEntry& entry, const QByteArray& frame)>;

    // A step takes at most this many bytes, so a long run that moves no paper (commands, noise)
    // never keeps the event loop (the window, a quit) waiting long.
    static constexpr qsizetype kSliceBytes = 2048;

    ReceiveBuffer(qsizetype capacity, RealtimeHandler onRealtime);
    Q_DISABLE_COPY_MOVE(ReceiveBuffer)

    static bool isRealtime(Cmd id) {
        return id == Cmd::RealtimeStatus || id == Cmd::RealtimeRequest || id == Cmd::RealtimeCommand;
    }
    // True when bytes hold only complete real-time commands.
    static bool isRealtimeOnly(QByteArrayView bytes);

    // Takes bytes while there is room and returns how many it took.
    qsizetype receive(QByteArrayView bytes);
    // Real-time commands sent past a full buffer (a host may send them regardless of busy).
    void receiveRealtime(QByteArrayView bytes);

    // The stream offset of the next byte next() gives: every byte the link handed over counts,
    // taken or cleared.
    qint64 position() const { return m_base + m_readPos; }
    qsizetype buffered() const { return m_bytes.size() - m_readPos; }
    qsizetype freeSpace() const { return m_capacity - buffered(); }

    // The bytes of one step, taken one at a time while inSlice().
    void startSlice() { m_sliceEnd = qMin(m_bytes.size(), m_readPos + kSliceBytes); }
    bool inSlice() const { return m_readPos < m_sliceEnd; }
    quint8 next() { return static_cast<quint8>(m_bytes.at(m_readPos++)); }
    // Lets go of what has been taken.
    void compact();
    // True once after bytes were refused, as soon as there is room for them.
    bool takeRoomNotice();
    // Empties the buffer; true when it had refused bytes (the link may offer them now).
    bool clear();

private:
    // Frames bytes as they arrive, as the interpreter will later, so a DLE inside image data is
    // data; it acts on real-time commands only.
    class ArrivalWatch : public CommandSink {
    public:
        explicit ArrivalWatch(const RealtimeHandler* handler) : m_handler(handler) {}
        void printable(quint8) override {}
        void command(const CommandEntry& entry, const QByteArray& frame) override;

    private:
        const RealtimeHandler* m_handler;
    };

    RealtimeHandler m_onRealtime;
    ArrivalWatch m_watch;
    EscPosInterpreter m_arrival;
    QByteArray m_bytes; // received, not yet taken from m_readPos on
    qint64 m_base = 0;  // the stream offset of m_bytes[0]
    qsizetype m_readPos = 0;
    qsizetype m_sliceEnd = 0;
    qsizetype m_capacity;
    bool m_refusedBytes = false;
};

} // namespace virt
