#include "fakeprinter.h"

#include <QMap>

#include <utility>

namespace {
QMap<QString, QPointer<FakePrinter>>& printers() {
    static QMap<QString, QPointer<FakePrinter>> map;
    return map;
}
} // namespace

FakePrinter::FakePrinter(device::MemoryTransport* transport) : QObject(transport), m_transport(transport) {
    printers().insert(transport->address(), this);
    connect(transport, &device::MemoryTransport::bytesWritten, this, &FakePrinter::onBytes);
}

FakePrinter* FakePrinter::of(const QString& address) {
    return printers().value(address);
}

void FakePrinter::install() {
    device::MemoryTransport::registerScheme();
    device::MemoryTransport::setCreatedHook([](device::MemoryTransport* t) { new FakePrinter(t); });
}

void FakePrinter::clear() {
    m_data.clear();
    m_received.clear();
}

void FakePrinter::setCoverOpen(bool open) {
    m_coverOpen = open;
    sendAutomatic();
    releaseHeld();
}

void FakePrinter::setPaper(bool end, bool nearEnd) {
    m_paperEnd = end;
    m_paperNearEnd = nearEnd;
    sendAutomatic();
    releaseHeld();
}

void FakePrinter::setOffline(bool offline) {
    m_offline = offline;
    sendAutomatic();
    releaseHeld();
}

void FakePrinter::setDrawerPin(bool high) {
    m_drawerPin = high;
    sendAutomatic();
}

quint8 FakePrinter::realTime(int n) const {
    switch (n) {
    case 1:
        return 0x12 | (m_drawerPin ? 0x04 : 0) | (stopped() ? 0x08 : 0);
    case 2:
        return 0x12 | (m_coverOpen ? 0x04 : 0) | (m_paperEnd ? 0x20 : 0);
    case 4:
        return 0x12 | (m_paperNearEnd || m_paperEnd ? 0x0C : 0) | (m_paperEnd ? 0x60 : 0);
    default:
        return 0x12;
    }
}

quint8 FakePrinter::transmit(int n) const {
    if (n == 1 || n == 49)
        return (m_paperNearEnd || m_paperEnd ? 0x03 : 0) | (m_paperEnd ? 0x0C : 0);
    if (n == 2 || n == 50)
        return m_drawerPin ? 0x01 : 0x00;
    return 0;
}

void FakePrinter::answer(const QByteArray& bytes) {
    if (!m_silent && m_transport)
        m_transport->feed(bytes);
}

void FakePrinter::sendAutomatic() {
    if (!m_asbMask)
        return;
    QByteArray asb(4, '\0');
    asb[0] = char(0x10 | (m_drawerPin ? 0x04 : 0) | (stopped() ? 0x08 : 0) | (m_coverOpen ? 0x20 : 0));
    asb[2] = char((m_paperNearEnd || m_paperEnd ? 0x03 : 0) | (m_paperEnd ? 0x0C : 0));
    answer(asb);
}

// GS r n answers a status byte, GS ( H its own ID behind 37 22.
QByteArray FakePrinter::inOrderReply(const QByteArray& request) const {
    if (request.at(1) == 'r')
        return QByteArray(1, char(transmit(quint8(request.at(2)))));
    if (request.at(1) == 'I') // firmware, maker, model, serial number
        return QByteArray("_") +
               QByteArrayList{"1.0", "Fake", "Fake Printer", "7"}.value(request.at(2) - 'A') + '\0';
    return QByteArray::fromHex("3722") + request.mid(7, 4) + QByteArray(1, '\0');
}

void FakePrinter::setBusy(bool busy) {
    m_busy = busy;
    releaseHeld();
}

void FakePrinter::setStalled(bool stalled) {
    m_stalled = stalled;
    if (!stalled)
        onBytes(std::exchange(m_unread, {}));
}

void FakePrinter::releaseFirstHeld() {
    if (!m_heldRequests.isEmpty())
        answer(inOrderReply(m_heldRequests.takeFirst()));
}

void FakePrinter::answerInOrder(const QByteArray& request) {
    if (holding() || !m_heldRequests.isEmpty())
        m_heldRequests.append(request);
    else
        answer(inOrderReply(request));
}

void FakePrinter::releaseHeld() {
    while (!holding() && !m_heldRequests.isEmpty())
        answer(inOrderReply(m_heldRequests.takeFirst()));
}

void FakePrinter::onBytes(const QByteArray& bytes) {
    if (m_stalled) {
        m_unread += bytes;
        return;
    }
    m_received += bytes;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<quint8>(bytes.at(i));
        const auto next = [&](qsizetype k) {
            return i + k < bytes.size() ? static_cast<quint8>(bytes.at(i + k)) : 0;
        };
        if (b == 0x10 && next(1) == 0x04) {
            answer(QByteArray(1, char(realTime(next(2)))));
            i += 2;
        } else if (b == 0x1D && next(1) == 0x72) {
            if (!m_ignoreTransmit)
                answerInOrder(bytes.mid(i, 3));
            i += 2;
        } else if (b == 0x1D && next(1) == 0x49) {
            if (!m_ignoreTransmit && next(2) >= 'A' && next(2) <= 'D')
                answerInOrder(bytes.mid(i, 3));
            i += 2;
        } else if (b == 0x1D && next(1) == 0x28 && next(2) == 0x48) {
            if (!m_ignoreProcessId)
                answerInOrder(bytes.mid(i, 11));
            i += 10;
        } else if (b == 0x10 && next(1) == 0x14 && next(2) == 0x08) {
            if (!m_ignoreClear) {
                ++m_clears;
                m_heldRequests.clear();
                answer(QByteArray::fromHex("372500"));
            }
            i += 9;
        } else if (b == 0x1D && next(1) == 0x61) {
            m_asbMask = next(2);
            sendAutomatic();
            i += 2;
        } else if (b == 0x1B && next(1) == 0x70) {
            ++m_kicks;
            m_data += bytes.mid(i, 5);
            m_drawerPin = true;
            sendAutomatic();
            i += 4;
        } else {
            m_data.append(char(b));
        }
    }
}
