#include "statuslist_linehelp.h"

#include "statuslist.h"

#include <QHelpEvent>
#include <QToolTip>

StatusLineHelp::StatusLineHelp(const StatusList& list) : m_list(list) {}

void StatusLineHelp::setNote(int row, const QString& note) {
    if (note.isEmpty())
        m_notes.remove(row);
    else
        m_notes.insert(row, note);
}

QString StatusLineHelp::help(int row) const {
    if (row < 0 || row >= m_list.ListCount())
        return {};
    const QString advice = m_list.lineToolTip ? m_list.lineToolTip(m_list.List(row)) : QString();
    const QString note = m_notes.value(row);
    if (note.isEmpty() || advice.isEmpty())
        return advice + note;
    return advice + QLatin1Char('\n') + note;
}

void StatusLineHelp::showToolTip(QHelpEvent* event) const {
    const QModelIndex index = m_list.indexAt(event->pos());
    const QString text = index.isValid() ? help(index.row()) : QString();
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(event->globalPos(), text, m_list.viewport(), m_list.visualRect(index));
    }
}
