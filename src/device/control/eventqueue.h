#pragma once

#include <QObject>

#include <deque>
#include <functional>

namespace device {

struct PendingEvent {
    enum class Kind { StatusUpdate, Error, OutputComplete };
    Kind kind = Kind::StatusUpdate;
    qint32 data = 0;     // status code, output ID, or the error's result code
    qint32 extended = 0; // error only
    qint32 locus = 0;    // error only
};

// The events of one control: queued, then delivered from the event loop, never while a call on
// any control is in progress (a synchronous call runs the event loop while it waits), only while
// the device is enabled, held while FreezeEvents is true.
class EventQueue : public QObject {
    Q_OBJECT
public:
    using Deliver = std::function<void(const PendingEvent&)>;

    explicit EventQueue(Deliver deliver, QObject* parent = nullptr);
    ~EventQueue() override;

    void post(const PendingEvent& event); // dropped unless enabled
    void setEnabled(bool enabled);        // disabling drops what is queued
    void setFrozen(bool frozen);
    bool isFrozen() const { return m_frozen; }
    void dropErrors();
    bool isEmpty() const { return m_events.empty(); }

    // Brackets a call on a control; delivery waits until the outermost call has returned.
    static void enterCall();
    static void leaveCall();

private:
    void schedule();
    void deliverQueued();
    bool canDeliver() const;

    Deliver m_deliver;
    std::deque<PendingEvent> m_events;
    bool m_enabled = false;
    bool m_frozen = false;
    bool m_scheduled = false;
};

// Marks the span of a call on a control for its event queue.
class CallScope {
public:
    explicit CallScope(EventQueue&) { EventQueue::enterCall(); }
    ~CallScope() { EventQueue::leaveCall(); }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;
};

} // namespace device
