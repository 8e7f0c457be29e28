#pragma once

#include <QString>

class QAction;
class QEvent;
class QKeyEvent;
class QPoint;
class StatusLineModel;
class StatusList;

// Copying from the status list: Ctrl+C copies the selected line; the context menu offers that line
// or all lines, and saving all lines to a file, each with the time it was logged and its hover.
class StatusListCopy {
public:
    StatusListCopy(StatusList& list, const StatusLineModel& model);

    void copySelectedLine() const;
    void copyAllLines() const;
    // What a save writes: "hh:mm:ss.zzz  line" for each line, and under it, indented, what its
    // hover says (the advice and the reason behind a failure).
    QString savedText() const;
    // Writes savedText() to path; empty when it is there, else why not.
    QString saveAllLines(const QString& path) const;

    // Ctrl+C belongs to the list while it has the focus, even if a window action claims it: true,
    // and the override accepted, when the event asks for that shortcut.
    bool claimsShortcut(QEvent* event) const;
    // True, and the key taken, when it is Ctrl+C.
    bool copiesOnKey(QKeyEvent* event) const;
    void showMenu(const QPoint& globalPos);

private:
    StatusList& m_list;
    const StatusLineModel& m_model;
    QAction* m_copyLine;
    QAction* m_copyAll;
    QAction* m_saveAll;
};
