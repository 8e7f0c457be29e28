#pragma once

#include <QHash>
#include <QString>

class QHelpEvent;
class StatusList;

// The tooltip of a hovered status line: the advice the list's lineToolTip gives for the line, and
// under it the line's note (the reason behind a failure). Few lines have a note, so notes are kept
// apart from the lines.
class StatusLineHelp {
public:
    explicit StatusLineHelp(const StatusList& list);

    void setNote(int row, const QString& note); // an empty note removes the line's note
    QString help(int row) const;                // empty for a row out of range or without help
    // Shows the tooltip of the line under the event, or hides any tooltip when that line has none.
    void showToolTip(QHelpEvent* event) const;

private:
    const StatusList& m_list;
    QHash<int, QString> m_notes;
};
