#pragma once

#include "app/form.h"
#include "app/frm_sample.h"
#include "app/statuslist.h"

#include <QCoreApplication>
#include <QEvent>
#include <QStringList>

// Small helpers shared by the window tests.

inline frm_Sample& mainWindow() {
    return FormInstance<frm_Sample>::get();
}

// Runs the deletions that unloading windows left pending, so the next access loads afresh.
inline void processDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Lines the status list received from index `from` on.
inline QStringList linesSince(int from) {
    QStringList lines;
    for (int i = from; i < mainWindow().lstStatusResults->ListCount(); ++i)
        lines << mainWindow().lstStatusResults->List(i);
    return lines;
}
