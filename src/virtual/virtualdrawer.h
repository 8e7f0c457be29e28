#pragma once

#include <QObject>
#include <QTimer>

namespace virt {

// A cash drawer on the printer's kick connector. A pulse on its pin opens it; it closes when the
// operator pushes it shut or, with a close delay, by itself. Pin 3 reports its switch.
class VirtualDrawer : public QObject {
    Q_OBJECT
public:
    explicit VirtualDrawer(QObject* parent = nullptr);

    void setPin(int pin) { m_pin = pin; } // 2 or 5
    int pin() const { return m_pin; }
    void setOpenLevelHigh(bool high); // pin 3 level while open
    bool openLevelHigh() const { return m_openHigh; }
    void setCloseDelay(int ms) { m_closeDelayMs = ms; } // 0: stays open until closed by hand
    int closeDelay() const { return m_closeDelayMs; }

    bool isOpen() const { return m_open; }
    bool pin3High() const { return m_open == m_openHigh; }

    // A pulse on connector pin 2 or 5; only the pin the drawer hangs on opens it.
    void pulse(int connectorPin);
    void close();

Q_SIGNALS:
    void changed(bool open);

private:
    int m_pin = 2;
    bool m_openHigh = true;
    int m_closeDelayMs = 3000;
    bool m_open = false;
    QTimer m_autoClose;
};

} // namespace virt
