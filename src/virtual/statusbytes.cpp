#include "statusbytes.h"

namespace virt {

namespace {
constexpr quint8 kAsbDrawer = 0x01;
constexpr quint8 kAsbOnline = 0x02;
constexpr quint8 kAsbPaper = 0x08;
} // namespace

QByteArray StatusBytes::realtime(const SensorState& s, int n) {
    quint8 value = 0x12;
    switch (n) {
    case 1:
        if (s.pin3High)
            value |= 0x04;
        if (s.stopped())
            value |= 0x08;
        break;
    case 2:
        if (s.coverOpen)
            value |= 0x04;
        if (s.feeding)
            value |= 0x08;
        if (s.paper == PaperLevel::Out)
            value |= 0x20;
        break;
    case 3:
        break;
    case 4:
        // The near-end sensor also sees an empty roll.
        if (s.paper != PaperLevel::Ok)
            value |= 0x0C;
        if (s.paper == PaperLevel::Out)
            value |= 0x60;
        break;
    default:
        return QByteArray();
    }
    return QByteArray(1, char(value));
}

QByteArray StatusBytes::automatic(const SensorState& s) {
    quint8 first = 0x10;
    if (s.pin3High)
        first |= 0x04;
    if (s.stopped())
        first |= 0x08;
    if (s.coverOpen)
        first |= 0x20;
    if (s.feeding)
        first |= 0x40;
    quint8 third = 0x00;
    if (s.paper != PaperLevel::Ok)
        third |= 0x03;
    if (s.paper == PaperLevel::Out)
        third |= 0x0C;
    QByteArray reply(4, '\0');
    reply[0] = char(first);
    reply[2] = char(third);
    return reply;
}

QByteArray StatusBytes::transmit(const SensorState& s, int n) {
    switch (n) {
    case 1:
    case 49: {
        quint8 value = 0;
        if (s.paper != PaperLevel::Ok)
            value |= 0x03;
        if (s.paper == PaperLevel::Out)
            value |= 0x0C;
        return QByteArray(1, char(value));
    }
    case 2:
    case 50:
        return QByteArray(1, char(s.pin3High ? 0x01 : 0x00));
    default:
        return QByteArray();
    }
}

quint8 StatusBytes::changedItems(const SensorState& before, const SensorState& after) {
    quint8 items = 0;
    if (before.pin3High != after.pin3High)
        items |= kAsbDrawer;
    if (before.coverOpen != after.coverOpen || before.stopped() != after.stopped() ||
        before.feeding != after.feeding)
        items |= kAsbOnline;
    if (before.paper != after.paper)
        items |= kAsbPaper;
    return items;
}

} // namespace virt
