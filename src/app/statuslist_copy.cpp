#include "statuslist_copy.h"

#include "statuslist.h"
#include "statuslist_model.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

StatusListCopy::StatusListCopy(StatusList& list, const StatusLineModel& model)
    : m_list(list), m_model(model), m_copyLine(new QAction(StatusList::tr("Copy line"), &list)),
      m_copyAll(new QAction(StatusList::tr("Copy all lines"), &list)) {
    m_copyLine->setObjectName(QStringLiteral("copyLineAction"));
    m_copyAll->setObjectName(QStringLiteral("copyAllLinesAction"));
    QObject::connect(m_copyLine, &QAction::triggered, &list, [this] { copySelectedLine(); });
    QObject::connect(m_copyAll, &QAction::triggered, &list, [this] { copyAllLines(); });
}

void StatusListCopy::copySelectedLine() const {
    const int row = m_list.ListIndex();
    if (row >= 0)
        QGuiApplication::clipboard()->setText(m_model.line(row));
}

void StatusListCopy::copyAllLines() const {
    QGuiApplication::clipboard()->setText(m_model.allLines());
}

bool StatusListCopy::claimsShortcut(QEvent* event) const {
    if (event->type() != QEvent::ShortcutOverride ||
        !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy))
        return false;
    event->accept();
    return true;
}

bool StatusListCopy::copiesOnKey(QKeyEvent* event) const {
    if (!event->matches(QKeySequence::Copy))
        return false;
    copySelectedLine();
    event->accept();
    return true;
}

void StatusListCopy::showMenu(const QPoint& globalPos) {
    m_copyLine->setEnabled(m_list.ListIndex() >= 0);
    m_copyAll->setEnabled(m_list.ListCount() > 0);
    QMenu menu(&m_list);
    menu.addAction(m_copyLine);
    menu.addAction(m_copyAll);
    menu.exec(globalPos);
}
