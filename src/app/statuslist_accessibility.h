#pragma once

#include <QAccessible>

class QModelIndex;

// Tells screen readers of an event on a row of a one-column list, with the row as the child; only
// while a screen reader listens.
void announceRow(QObject* list, QAccessible::Event type, const QModelIndex& index);
