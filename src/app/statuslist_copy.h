#pragma once

class QAction;
class QEvent;
class QKeyEvent;
class QPoint;
class StatusLineModel;
class StatusList;

// Copying from the status list: Ctrl+C copies the selected line; the context menu offers that line
// or all lines.
class StatusListCopy {
public:
    StatusListCopy(StatusList& list, const StatusLineModel& model);

    void copySelectedLine() const;
    void copyAllLines() const;

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
};
