#include "statuslist_painter.h"

#include "statuslist_model.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include <algorithm>
#include <cmath>

StatusRowPainter::StatusRowPainter(const QAbstractItemView& view, const StatusLineModel& model)
    : m_view(view), m_model(model) {}

int StatusRowPainter::paint(QPainter& painter, QStyleOptionViewItem option, qint64 first, qint64 last,
                            const QModelIndex& focused) {
    const QStyle::State baseState = option.state;
    const QItemSelectionModel* selection = m_view.selectionModel();
    QStyle* style = m_view.style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &m_view) + 1;
    int widest = 0;
    painter.setFont(option.font);
    for (qint64 row = first; row <= last; ++row) {
        const QModelIndex index = m_model.index(int(row));
        option.rect = m_view.visualRect(index);
        option.state = baseState;
        const bool selected = selection->isSelected(index);
        if (selected)
            option.state |= QStyle::State_Selected;
        if (focused.isValid() && index == focused)
            option.state |= QStyle::State_HasFocus;
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, &painter, &m_view);
        const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : (option.state & QStyle::State_Active) ? QPalette::Active
                                                                                   : QPalette::Inactive;
        painter.setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        const QStaticText& text = lineLayout(row, option.font);
        const QSizeF size = text.size();
        painter.drawStaticText(QPointF(option.rect.left() + margin,
                                       option.rect.top() + (option.rect.height() - size.height()) / 2.0),
                               text);
        if (option.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect frame;
            frame.QStyleOption::operator=(option);
            frame.backgroundColor =
                option.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
            style->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, &m_view);
        }
        widest = std::max(widest, int(std::ceil(size.width())) + 2 * margin);
    }
    return widest;
}

void StatusRowPainter::forgetLayouts() {
    m_lineLayouts.clear();
}

const QStaticText& StatusRowPainter::lineLayout(qint64 row, const QFont& font) {
    auto it = m_lineLayouts.find(row);
    if (it == m_lineLayouts.end()) {
        if (m_lineLayouts.size() >= kKeptLineLayouts)
            m_lineLayouts.clear();
        QString line = m_model.index(int(row)).data(Qt::DisplayRole).toString();
        line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
        QStaticText text(line);
        text.setTextFormat(Qt::PlainText);
        text.prepare(QTransform(), font);
        it = m_lineLayouts.insert(row, text);
    }
    return *it;
}
