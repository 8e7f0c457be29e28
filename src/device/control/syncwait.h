#pragma once

#include <QtGlobal>

#include <functional>

namespace device {

// Runs the event loop without user input until done() is true or timeoutMs have passed, so a
// synchronous call waits for its device while the window still repaints. True when done.
bool waitUntil(const std::function<bool()>& done, int timeoutMs);

// A wait computed from configured times, kept within what a timer takes (no int overflow).
int saturatedMs(qint64 ms);

} // namespace device
