#pragma once

#include "device/transport/memorytransport.h"

#include <QObject>
#include <QPointer>

// A scripted ESC/POS printer behind a MemoryTransport: answers DLE EOT n at once, GS r n, GS I 65
// to 68 and GS ( H process IDs in order (held while the cover is open, the paper is out or it is offline, as
// a real printer stops), clears what it holds on DLE DC4 fn 8, sends automatic status after GS a,
// opens its drawer on ESC p. Everything else is kept as the printed data.
class FakePrinter : public QObject {
    Q_OBJECT
public:
    explicit FakePrinter(device::MemoryTransport* transport);

    // The printer behind the transport with this address ("P" for memory:P).
    static FakePrinter* of(const QString& address);
    // Makes every new memory transport get a fake printer.
    static void install();

    QByteArray data() const { return m_data; }         // without the status traffic
    QByteArray received() const { return m_received; } // everything
    void clear();
    int kicks() const { return m_kicks; }

    void setSilent(bool silent) { m_silent = silent; }           // answers nothing at all
    void setIgnoreTransmit(bool on) { m_ignoreTransmit = on; }   // answers DLE EOT only (no GS r, GS I)
    void setIgnoreProcessId(bool on) { m_ignoreProcessId = on; } // skips GS ( H as unknown
    int clears() const { return m_clears; }                      // DLE DC4 fn 8 received
    void setIgnoreClear(bool on) { m_ignoreClear = on; }         // DLE DC4 fn 8 unknown
    // A printer busy with a long job: in-order replies wait until released, first come first.
    void setBusy(bool busy);
    void releaseFirstHeld();
    void forgetHeld() { m_heldRequests.clear(); } // switched off and on: its buffer is gone
    // Reads nothing while stalled, then everything that waited, real-time requests included.
    void setStalled(bool stalled);
    void setCoverOpen(bool open);
    void setPaper(bool end, bool nearEnd);
    void setOffline(bool offline);
    void setDrawerPin(bool high);
    device::MemoryTransport* transport() const { return m_transport; }

private:
    void onBytes(const QByteArray& bytes);
    void answer(const QByteArray& bytes);
    void sendAutomatic();
    void releaseHeld();
    bool stopped() const { return m_coverOpen || m_paperEnd || m_offline; }
    bool holding() const { return stopped() || m_busy; }
    quint8 realTime(int n) const;
    quint8 transmit(int n) const;
    QByteArray inOrderReply(const QByteArray& request) const;
    void answerInOrder(const QByteArray& request);

    QPointer<device::MemoryTransport> m_transport;
    QByteArray m_data;
    QByteArray m_received;
    QList<QByteArray> m_heldRequests; // in-order requests not reached yet
    quint8 m_asbMask = 0;
    bool m_silent = false;
    bool m_ignoreTransmit = false;
    bool m_ignoreProcessId = false;
    bool m_ignoreClear = false;
    bool m_busy = false;
    bool m_stalled = false;
    QByteArray m_unread;
    int m_clears = 0;
    bool m_coverOpen = false;
    bool m_paperEnd = false;
    bool m_paperNearEnd = false;
    bool m_offline = false;
    bool m_drawerPin = false;
    int m_kicks = 0;
};
