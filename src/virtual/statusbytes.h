#pragma once

#include <QByteArray>

namespace virt {

enum class PaperLevel { Ok, NearEnd, Out };

// What the sensors see. pin3High is the drawer switch level on connector pin 3.
struct SensorState {
    bool coverOpen = false;
    PaperLevel paper = PaperLevel::Ok;
    bool pin3High = false;
    bool feeding = false;

    // Printing stops while the cover is open or the paper is out.
    bool stopped() const { return coverOpen || paper == PaperLevel::Out; }
    bool operator==(const SensorState&) const = default;
};

// The printer's status replies, byte for byte.
namespace StatusBytes {
QByteArray realtime(const SensorState& state, int n); // DLE EOT n, n = 1..4
QByteArray automatic(const SensorState& state);       // ASB, 4 bytes
QByteArray transmit(const SensorState& state, int n); // GS r n; empty for an unknown n
// GS a mask bits that a change from `before` to `after` concerns.
quint8 changedItems(const SensorState& before, const SensorState& after);
} // namespace StatusBytes

} // namespace virt
