#include "statuslist_framerepaint.h"

#include <algorithm>
#include <utility>

FrameRepaint::FrameRepaint(std::function<void()> repaint) : m_repaint(std::move(repaint)) {
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        m_sinceRepaint.start();
        m_repaint();
    });
}

void FrameRepaint::request() {
    if (m_timer.isActive())
        return;
    const qint64 since = m_sinceRepaint.isValid() ? m_sinceRepaint.elapsed() : kFrameMs;
    m_timer.start(int(std::clamp<qint64>(kFrameMs - since, 0, kFrameMs)));
}
