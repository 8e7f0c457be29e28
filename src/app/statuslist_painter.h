#pragma once

#include <QHash>
#include <QStaticText>
#include <QStyleOptionViewItem>

class QAbstractItemView;
class QPainter;
class StatusLineModel;

// Paints the rows of the status list. The style draws each row's panel and focus frame; the text is
// laid out once per line and kept, so a burst of new lines does not shape every visible line again
// on every repaint.
class StatusRowPainter {
public:
    StatusRowPainter(const QAbstractItemView& view, const StatusLineModel& model);

    // Paints rows first to last, each in the view's rectangle for it; `focused` is the row that gets
    // the focus frame, invalid for none. Returns the width the widest of them needs.
    int paint(QPainter& painter, QStyleOptionViewItem option, qint64 first, qint64 last,
              const QModelIndex& focused);
    // The font may have changed.
    void forgetLayouts();

private:
    // A line's text, laid out for painting; a few screens of lines are kept.
    const QStaticText& lineLayout(qint64 row, const QFont& font);
    static constexpr qsizetype kKeptLineLayouts = 512;

    const QAbstractItemView& m_view;
    const StatusLineModel& m_model;
    QHash<qint64, QStaticText> m_lineLayouts;
};
