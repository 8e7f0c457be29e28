#include "statuslist_accessibility.h"

#include <QModelIndex>

void announceRow(QObject* list, QAccessible::Event type, const QModelIndex& index) {
    if (!QAccessible::isActive() || !index.isValid())
        return;
    QAccessibleEvent event(list, type);
    event.setChild(index.row());
    QAccessible::updateAccessibility(&event);
}
