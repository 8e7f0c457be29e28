#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

// Runs a repaint at most once a frame: requests in a burst become one run at the end of the frame,
// and a request after a pause runs on the next turn of the event loop. A burst of lines so costs a
// few repaints instead of one per line, and a steady stream still shows at 60 frames a second.
class FrameRepaint {
public:
    explicit FrameRepaint(std::function<void()> repaint);

    void request();

private:
    static constexpr int kFrameMs = 16;

    std::function<void()> m_repaint;
    QTimer m_timer;
    QElapsedTimer m_sinceRepaint;
};
