#include "statuslist.h"

#include "statuslist_accessibility.h"
#include "statuslist_model.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

// Keeps pixel positions of far-away rows inside int range.
int clampToInt(qint64 value) {
    constexpr qint64 limit = 1 << 30;
    return int(std::clamp(value, -limit, limit));
}

} // namespace

StatusList::StatusList(QWidget* parent)
    : QListView(parent), m_model(new StatusLineModel(this)), m_painter(*this, *m_model),
      m_copy(*this, *m_model), m_help(*this), m_repaint([this] { repaintNow(); }) {
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

void StatusList::setLineNote(int index, const QString& note) {
    m_help.setNote(index, note);
}

QString StatusList::lineHelp(int index) const {
    return m_help.help(index);
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
    m_repaint.request();
}

// New lines, a new selection and scrolling only ask for a repaint; the rows in view and the scroll
// bars catch up with the list once a frame, or on the next turn of the event loop after a pause.
void StatusList::repaintNow() {
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
    m_painter.forgetLayouts();
    QAbstractItemView::doItemsLayout();
}

void StatusList::rowsInserted(const QModelIndex& parent, int start, int end) {
    QAbstractItemView::rowsInserted(parent, start, end);
    m_repaint.request();
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
    if (count == 0 || !itemDelegate())
        return;
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QRect area = event->rect();
    const qint64 first = std::max<qint64>(0, rowAt(area.top()));
    const qint64 last = std::min<qint64>(count - 1, rowAt(area.bottom()));
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    widenContent(m_painter.paint(painter, option, first, last, focus ? current : QModelIndex()));
}

// Lines are measured when first shown, not when appended; the scroll range follows.
void StatusList::widenContent(int width) {
    if (width <= m_contentWidth)
        return;
    m_contentWidth = width;
    if (m_widthUpdatePending)
        return;
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

bool StatusList::event(QEvent* event) {
    return m_copy.claimsShortcut(event) || QListView::event(event);
}

void StatusList::keyPressEvent(QKeyEvent* event) {
    if (!m_copy.copiesOnKey(event))
        QListView::keyPressEvent(event);
}

void StatusList::contextMenuEvent(QContextMenuEvent* event) {
    m_copy.showMenu(event->globalPos());
}

bool StatusList::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        m_help.showToolTip(static_cast<QHelpEvent*>(event));
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

void StatusList::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    if (!selected.isEmpty())
        announceRow(this, QAccessible::SelectionAdd, selected.first().topLeft());
    if (!deselected.isEmpty())
        announceRow(this, QAccessible::SelectionRemove, deselected.first().topLeft());
    // The base class would only repaint the rows at once.
    m_repaint.request();
}

void StatusList::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (hasFocus())
        announceRow(this, QAccessible::Focus, current);
    // The base class keeps its own state of the current line and scrolls to it; its repaint of the
    // two rows waits for the next frame like every other.
    m_holdRowRepaints = true;
    QAbstractItemView::currentChanged(current, previous);
    m_holdRowRepaints = false;
    m_repaint.request();
}

QSize StatusList::viewportSizeHint() const {
    return QAbstractItemView::viewportSizeHint();
}
