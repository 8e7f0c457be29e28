#pragma once

#include "device/transport/memorytransport.h"

#include <QObject>
#include <QPointer>

// A scripted ESC/POS printer behind a MemoryTransport: answers DLE EOT n at once, GS r n in order
// (held while the cover is open, the paper is out or it is offline, as a real printer stops),
// sends automatic status after GS a, opens its drawer on ESC p. Everything else is kept as the
// printed data.
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

    void setSilent(bool silent) { m_silent = silent; }         // answers nothing at all
    void setIgnoreTransmit(bool on) { m_ignoreTransmit = on; } // answers DLE EOT only
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
    quint8 realTime(int n) const;
    quint8 transmit(int n) const;

    QPointer<device::MemoryTransport> m_transport;
    QByteArray m_data;
    QByteArray m_received;
    QList<int> m_heldTransmits;
    quint8 m_asbMask = 0;
    bool m_silent = false;
    bool m_ignoreTransmit = false;
    bool m_coverOpen = false;
    bool m_paperEnd = false;
    bool m_paperNearEnd = false;
    bool m_offline = false;
    bool m_drawerPin = false;
    int m_kicks = 0;
};
