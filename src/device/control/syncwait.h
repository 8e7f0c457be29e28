#pragma once

#include <functional>

namespace device {

// Runs the event loop without user input until done() is true or timeoutMs have passed, so a
// synchronous call waits for its device while the window still repaints. True when done.
bool waitUntil(const std::function<bool()>& done, int timeoutMs);

} // namespace device
