#include "device/control/eventqueue.h"

#include <QPointer>

namespace device {

namespace {

// Calls in progress on any control of the program, and the queues waiting for them to end.
int callDepth = 0;
QList<EventQueue*>& allQueues() {
    static QList<EventQueue*> queues;
    return queues;
}

} // namespace

EventQueue::EventQueue(Deliver deliver, QObject* parent) : QObject(parent), m_deliver(std::move(deliver)) {
    allQueues().append(this);
}

EventQueue::~EventQueue() {
    allQueues().removeOne(this);
}

bool EventQueue::canDeliver() const {
    return m_enabled && !m_frozen && callDepth == 0;
}

void EventQueue::enterCall() {
    ++callDepth;
}

void EventQueue::post(const PendingEvent& event) {
    if (!m_enabled)
        return;
    m_events.push_back(event);
    schedule();
}

void EventQueue::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (!enabled)
        m_events.clear();
}

void EventQueue::setFrozen(bool frozen) {
    m_frozen = frozen;
    schedule();
}

void EventQueue::dropErrors() {
    std::erase_if(m_events, [](const PendingEvent& e) { return e.kind == PendingEvent::Kind::Error; });
}

void EventQueue::leaveCall() {
    if (--callDepth == 0)
        for (EventQueue* queue : allQueues())
            queue->schedule();
}

void EventQueue::schedule() {
    if (m_scheduled || !canDeliver() || m_events.empty())
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &EventQueue::deliverQueued, Qt::QueuedConnection);
}

void EventQueue::deliverQueued() {
    m_scheduled = false;
    QPointer<EventQueue> alive(this);
    while (alive && canDeliver() && !m_events.empty()) {
        const PendingEvent event = m_events.front();
        m_events.pop_front();
        // The handler runs as outside any call: what it calls on the control is a call of its own.
        m_deliver(event);
    }
}

} // namespace device
