#include "statuslist.h"

#include "statuslist_model.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

// The list and its scroll bars repaint at most once in this time, so a burst of lines costs a few
// repaints instead of one per line, and a steady stream still shows at 60 frames a second.
constexpr int kFrameMs = 16;

// Keeps pixel positions of far-away rows inside int range.
int clampToInt(qint64 value) {
    constexpr qint64 limit = 1 << 30;
    return int(std::clamp(value, -limit, limit));
}

} // namespace

StatusList::StatusList(QWidget* parent)
    : QListView(parent), m_model(new StatusLineModel(this)), m_copyLine(new QAction(tr("Copy line"), this)),
      m_copyAll(new QAction(tr("Copy all lines"), this)) {
    setModel(m_model);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The vertical scroll bar counts rows, the horizontal one pixels.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAccessibleName(tr("Status results"));

    // Navy text on the button face; the owner may set its own palette.
    QPalette colours = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        colours.setColor(group, QPalette::Base, colours.color(group, QPalette::Button));
    colours.setColor(QPalette::Active, QPalette::Text, QColor(0, 0, 128));
    colours.setColor(QPalette::Inactive, QPalette::Text, QColor(0, 0, 128));
    setPalette(colours);

    m_copyLine->setObjectName(QStringLiteral("copyLineAction"));
    m_copyAll->setObjectName(QStringLiteral("copyAllLinesAction"));
    connect(m_copyLine, &QAction::triggered, this, &StatusList::copySelectedLine);
    connect(m_copyAll, &QAction::triggered, this, &StatusList::copyAllLines);
    m_repaintTimer.setSingleShot(true);
    connect(&m_repaintTimer, &QTimer::timeout, this, &StatusList::repaintNow);
}

StatusList::~StatusList() = default;

void StatusList::AddItem(const QString& line) {
    m_model->append(line);
}

int StatusList::ListCount() const {
    return m_model->rowCount();
}

int StatusList::ListIndex() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void StatusList::setListIndex(int index) {
    if (index == -1) {
        selectionModel()->clearSelection();
        return;
    }
    if (index < 0 || index >= m_model->rowCount())
        return;
    const QModelIndex line = m_model->index(index);
    selectionModel()->setCurrentIndex(line, QItemSelectionModel::ClearAndSelect);
    scrollTo(line);
}

QString StatusList::List(int index) const {
    return m_model->line(index);
}

void StatusList::copySelectedLine() const {
    const int row = ListIndex();
    if (row >= 0)
        QGuiApplication::clipboard()->setText(m_model->line(row));
}

void StatusList::copyAllLines() const {
    QGuiApplication::clipboard()->setText(m_model->allLines());
}

// Geometry: row r lies at (r - topRow()) * rowHeight() in the viewport.

int StatusList::rowHeight() const {
    if (m_rowHeight == 0) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.features |= QStyleOptionViewItem::HasDisplay;
        option.text = QStringLiteral("Xg");
        const QSize size = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
        m_rowHeight = std::max({1, size.height(), fontMetrics().height()});
    }
    return m_rowHeight;
}

int StatusList::topRow() const {
    return m_top;
}

int StatusList::visibleRows() const {
    return std::max(1, viewport()->height() / rowHeight());
}

int StatusList::rowWidth() const {
    return std::max(viewport()->width(), m_contentWidth);
}

qint64 StatusList::rowAt(int y) const {
    const int height = rowHeight();
    const qint64 offset = y >= 0 ? y / height : -qint64((-qint64(y) + height - 1) / height);
    return topRow() + offset;
}

QRect StatusList::visualRect(const QModelIndex& index) const {
    if (m_holdRowRepaints || !index.isValid() || index.model() != m_model || index.column() != 0)
        return {};
    const qint64 y = qint64(index.row() - topRow()) * rowHeight();
    return QRect(-horizontalOffset(), clampToInt(y), rowWidth(), rowHeight());
}

void StatusList::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.model() != m_model)
        return;
    const qint64 row = index.row();
    const qint64 visible = visibleRows();
    qint64 top = topRow();
    switch (hint) {
    case EnsureVisible:
        if (row < top)
            top = row;
        else if (row >= top + visible)
            top = row - visible + 1;
        break;
    case PositionAtTop:
        top = row;
        break;
    case PositionAtBottom:
        top = row - visible + 1;
        break;
    case PositionAtCenter:
        top = row - visible / 2;
        break;
    }
    setTopRow(int(std::clamp<qint64>(top, 0, std::max(0, m_model->rowCount() - visibleRows()))));
}

void StatusList::setTopRow(int row) {
    if (row == m_top)
        return;
    m_top = row;
    scheduleRepaint();
}

// New lines, a new selection and scrolling only ask for a repaint; the rows in view and the scroll
// bars catch up with the list once a frame, or on the next turn of the event loop after a pause.
void StatusList::scheduleRepaint() {
    if (m_repaintTimer.isActive())
        return;
    const qint64 since = m_sinceRepaint.isValid() ? m_sinceRepaint.elapsed() : kFrameMs;
    m_repaintTimer.start(int(std::clamp<qint64>(kFrameMs - since, 0, kFrameMs)));
}

void StatusList::repaintNow() {
    m_sinceRepaint.start();
    updateVerticalRange();
    viewport()->update();
}

QModelIndex StatusList::indexAt(const QPoint& point) const {
    const qint64 row = rowAt(point.y());
    if (row < 0 || row >= m_model->rowCount())
        return {};
    return m_model->index(int(row));
}

void StatusList::doItemsLayout() {
    // Only the uniform row height and the scroll ranges depend on the layout; never the whole list.
    m_rowHeight = 0;
    m_contentWidth = 0;
    m_lineLayouts.clear(); // the font may have changed
    QAbstractItemView::doItemsLayout();
}

void StatusList::rowsInserted(const QModelIndex& parent, int start, int end) {
    QAbstractItemView::rowsInserted(parent, start, end);
    scheduleRepaint();
}

// Lines never change; QListView's version would update its own item layout, which is not used.
void StatusList::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                             const QList<int>& roles) {
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

void StatusList::scrollContentsBy(int, int) {
    if (!m_settingScrollBar)
        m_top = verticalScrollBar()->value();
    // One full repaint of the few visible rows, whatever the distance.
    viewport()->update();
}

void StatusList::resizeEvent(QResizeEvent* event) {
    // A current line in view stays in view when the list shrinks.
    const QModelIndex current = currentIndex();
    const int oldVisible = std::max(1, event->oldSize().height() / rowHeight());
    const bool keepCurrent =
        current.isValid() && current.row() >= topRow() && current.row() < topRow() + oldVisible;
    QAbstractItemView::resizeEvent(event);
    if (keepCurrent)
        scrollTo(current);
}

void StatusList::paintEvent(QPaintEvent* event) {
    const int count = m_model->rowCount();
    QAbstractItemDelegate* delegate = itemDelegate();
    if (count == 0 || !delegate)
        return;
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State baseState = option.state;

    const QRect area = event->rect();
    const qint64 first = std::max<qint64>(0, rowAt(area.top()));
    const qint64 last = std::min<qint64>(count - 1, rowAt(area.bottom()));
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QItemSelectionModel* selection = selectionModel();
    int widest = m_contentWidth;

    // The style draws each row's panel and focus frame; the text is laid out once per line and kept,
    // so a burst of new lines does not shape every visible line again on every repaint.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    painter.setFont(option.font);
    for (qint64 row = first; row <= last; ++row) {
        const QModelIndex index = m_model->index(int(row));
        option.rect = visualRect(index);
        option.state = baseState;
        const bool selected = selection->isSelected(index);
        if (selected)
            option.state |= QStyle::State_Selected;
        if (focus && index == current)
            option.state |= QStyle::State_HasFocus;
        style()->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, &painter, this);
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
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
        }
        widest = std::max(widest, int(std::ceil(size.width())) + 2 * margin);
    }

    // Lines are measured when first shown, not when appended; the scroll range follows.
    if (widest > m_contentWidth) {
        m_contentWidth = widest;
        if (!m_widthUpdatePending) {
            m_widthUpdatePending = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_widthUpdatePending = false;
                    updateHorizontalRange();
                    viewport()->update();
                },
                Qt::QueuedConnection);
        }
    }
}

const QStaticText& StatusList::lineLayout(qint64 row, const QFont& font) {
    auto it = m_lineLayouts.find(row);
    if (it == m_lineLayouts.end()) {
        if (m_lineLayouts.size() >= kKeptLineLayouts)
            m_lineLayouts.clear();
        QString line = m_model->index(int(row)).data(Qt::DisplayRole).toString();
        line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
        QStaticText text(line);
        text.setTextFormat(Qt::PlainText);
        text.prepare(QTransform(), font);
        it = m_lineLayouts.insert(row, text);
    }
    return *it;
}

bool StatusList::event(QEvent* event) {
    // Ctrl+C belongs to the list while it has the focus, even if a window action claims it.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        return true;
    }
    return QListView::event(event);
}

void StatusList::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copySelectedLine();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void StatusList::contextMenuEvent(QContextMenuEvent* event) {
    m_copyLine->setEnabled(ListIndex() >= 0);
    m_copyAll->setEnabled(ListCount() > 0);
    QMenu menu(this);
    menu.addAction(m_copyLine);
    menu.addAction(m_copyAll);
    menu.exec(event->globalPos());
}

void StatusList::setLineNote(int index, const QString& note) {
    if (note.isEmpty())
        m_notes.remove(index);
    else
        m_notes.insert(index, note);
}

QString StatusList::lineHelp(int index) const {
    if (index < 0 || index >= m_model->rowCount())
        return {};
    const QString advice = lineToolTip ? lineToolTip(m_model->line(index)) : QString();
    const QString note = m_notes.value(index);
    if (note.isEmpty() || advice.isEmpty())
        return advice + note;
    return advice + QLatin1Char('\n') + note;
}

bool StatusList::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString text = index.isValid() ? lineHelp(index.row()) : QString();
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index));
        }
        return true;
    }
    return QListView::viewportEvent(event);
}

int StatusList::horizontalOffset() const {
    return horizontalScrollBar()->value();
}

int StatusList::verticalOffset() const {
    return clampToInt(qint64(topRow()) * rowHeight());
}

QModelIndex StatusList::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers) {
    const int count = m_model->rowCount();
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return m_model->index(0);
    const qint64 page = std::max(1, visibleRows() - 1);
    qint64 row = current.row();
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        --row;
        break;
    case MoveDown:
    case MoveNext:
        ++row;
        break;
    case MovePageUp:
        row -= page;
        break;
    case MovePageDown:
        row += page;
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    case MoveLeft:
    case MoveRight: {
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() + (cursorAction == MoveLeft ? -bar->singleStep() : bar->singleStep()));
        break;
    }
    }
    return m_model->index(int(std::clamp<qint64>(row, 0, count - 1)));
}

void StatusList::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    const int count = m_model->rowCount();
    const QRect area = rect.normalized();
    const qint64 first = rowAt(area.top());
    const qint64 last = rowAt(area.bottom());
    if (count == 0 || last < 0 || first >= count) {
        selectionModel()->select(QItemSelection(), command);
        return;
    }
    const QModelIndex top = m_model->index(int(std::max<qint64>(0, first)));
    const QModelIndex bottom = m_model->index(int(std::min<qint64>(count - 1, last)));
    selectionModel()->select(QItemSelection(top, bottom), command);
}

QRegion StatusList::visualRegionForSelection(const QItemSelection& selection) const {
    const QRect view = viewport()->rect();
    const int height = rowHeight();
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.model() != m_model)
            continue;
        const int top = clampToInt(qint64(range.top() - topRow()) * height);
        const int bottom = clampToInt(qint64(range.bottom() - topRow() + 1) * height);
        const QRect band = QRect(view.left(), top, view.width(), bottom - top).intersected(view);
        if (!band.isEmpty())
            region += band;
    }
    return region;
}

void StatusList::updateGeometries() {
    updateVerticalRange();
    updateHorizontalRange();
    QAbstractItemView::updateGeometries();
}

void StatusList::updateVerticalRange() {
    QScrollBar* bar = verticalScrollBar();
    const int visible = visibleRows();
    const int maximum = std::max(0, m_model->rowCount() - visible);
    m_top = std::min(m_top, maximum);
    m_settingScrollBar = true;
    bar->setSingleStep(1);
    bar->setPageStep(visible);
    bar->setRange(0, maximum);
    bar->setValue(m_top);
    m_settingScrollBar = false;
}

void StatusList::updateHorizontalRange() {
    QScrollBar* bar = horizontalScrollBar();
    const int width = viewport()->width();
    bar->setSingleStep(std::max(1, fontMetrics().averageCharWidth() * 2));
    bar->setPageStep(width);
    bar->setRange(0, std::max(0, m_contentWidth - width));
}

bool StatusList::isIndexHidden(const QModelIndex&) const {
    return false;
}

// Lines are never edited; this skips the editor lookup that every change of the current line costs.
bool StatusList::edit(const QModelIndex&, EditTrigger, QEvent*) {
    return false;
}

// The list's own notifications for screen readers, with the row as the child (one column).
void StatusList::announce(QAccessible::Event type, const QModelIndex& index) {
    if (!QAccessible::isActive() || !index.isValid())
        return;
    QAccessibleEvent event(this, type);
    event.setChild(index.row());
    QAccessible::updateAccessibility(&event);
}

void StatusList::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    if (!selected.isEmpty())
        announce(QAccessible::SelectionAdd, selected.first().topLeft());
    if (!deselected.isEmpty())
        announce(QAccessible::SelectionRemove, deselected.first().topLeft());
    // The base class would only repaint the rows at once.
    scheduleRepaint();
}

void StatusList::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (hasFocus())
        announce(QAccessible::Focus, current);
    // The base class keeps its own state of the current line and scrolls to it; its repaint of the
    // two rows waits for the next frame like every other.
    m_holdRowRepaints = true;
    QAbstractItemView::currentChanged(current, previous);
    m_holdRowRepaints = false;
    scheduleRepaint();
}

QSize StatusList::viewportSizeHint() const {
    return QAbstractItemView::viewportSizeHint();
}
