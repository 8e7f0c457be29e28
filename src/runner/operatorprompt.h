#pragma once

namespace runner {

// Waits for the operator to press Enter on standard input while the event loop runs, so events
// keep showing. Goes on at once when standard input is closed or at its end, and after `withinMs`
// in any case.
class OperatorPrompt {
public:
    explicit OperatorPrompt(int fd = 0) : m_fd(fd) {}
    // True when the operator answered, false on end of input or time-out.
    bool waitForEnter(int withinMs) const;

private:
    int m_fd;
};

} // namespace runner
