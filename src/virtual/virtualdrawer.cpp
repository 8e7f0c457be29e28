#include "virtualdrawer.h"

namespace virt {

VirtualDrawer::VirtualDrawer(QObject* parent) : QObject(parent) {
    m_autoClose.setSingleShot(true);
    connect(&m_autoClose, &QTimer::timeout, this, &VirtualDrawer::close);
}

void VirtualDrawer::setOpenLevelHigh(bool high) {
    if (m_openHigh == high)
        return;
    m_openHigh = high;
    Q_EMIT changed(m_open); // pin 3 flips even though the drawer did not move
}

void VirtualDrawer::pulse(int connectorPin) {
    if (connectorPin != m_pin || m_open)
        return;
    m_open = true;
    if (m_closeDelayMs > 0)
        m_autoClose.start(m_closeDelayMs);
    Q_EMIT changed(true);
}

void VirtualDrawer::close() {
    m_autoClose.stop();
    if (!m_open)
        return;
    m_open = false;
    Q_EMIT changed(false);
}

} // namespace virt
