#include "statuslist_copy.h"

#include "statuslist.h"
#include "statuslist_model.h"

#include "opos/userfiles.h"

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>

StatusListCopy::StatusListCopy(StatusList& list, const StatusLineModel& model)
    : m_list(list), m_model(model), m_copyLine(new QAction(StatusList::tr("Copy line"), &list)),
      m_copyAll(new QAction(StatusList::tr("Copy all lines"), &list)),
      m_saveAll(new QAction(StatusList::tr("Save all lines..."), &list)) {
    m_copyLine->setObjectName(QStringLiteral("copyLineAction"));
    m_copyAll->setObjectName(QStringLiteral("copyAllLinesAction"));
    QObject::connect(m_copyLine, &QAction::triggered, &list, [this] { copySelectedLine(); });
    m_saveAll->setObjectName(QStringLiteral("saveAllLinesAction"));
    QObject::connect(m_copyAll, &QAction::triggered, &list, [this] { copyAllLines(); });
    QObject::connect(m_saveAll, &QAction::triggered, &list, [this] {
        const QString path =
            QFileDialog::getSaveFileName(&m_list, StatusList::tr("Save all lines"),
                                         QStringLiteral("status.txt"), StatusList::tr("Text files (*.txt)"));
        if (path.isEmpty())
            return;
        if (const QString problem = saveAllLines(path); !problem.isEmpty())
            QMessageBox::warning(&m_list, StatusList::tr("Save all lines"),
                                 StatusList::tr("The lines were not saved to %1: %2").arg(path, problem));
    });
}

void StatusListCopy::copySelectedLine() const {
    const int row = m_list.ListIndex();
    if (row >= 0)
        QGuiApplication::clipboard()->setText(m_model.line(row));
}

void StatusListCopy::copyAllLines() const {
    QGuiApplication::clipboard()->setText(m_model.allLines());
}

QString StatusListCopy::savedText() const {
    QString text;
    for (int row = 0; row < m_model.rowCount(); ++row) {
        text +=
            QDateTime::fromMSecsSinceEpoch(m_model.loggedAt(row)).toString(QStringLiteral("hh:mm:ss.zzz  "));
        text += m_model.line(row);
        text += QLatin1Char('\n');
        const QString help = m_list.lineHelp(row);
        for (const QString& said : help.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            text += QStringLiteral("              ") + said + QLatin1Char('\n');
    }
    return text;
}

QString StatusListCopy::saveAllLines(const QString& path) const {
    return opos::UserFileWriter(path).write(savedText().toUtf8());
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
    m_saveAll->setEnabled(m_list.ListCount() > 0);
    QMenu menu(&m_list);
    menu.addAction(m_copyLine);
    menu.addAction(m_copyAll);
    menu.addAction(m_saveAll);
    menu.exec(globalPos);
}
