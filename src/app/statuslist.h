#pragma once

#include "app/statuslist_copy.h"
#include "app/statuslist_framerepaint.h"
#include "app/statuslist_linehelp.h"
#include "app/statuslist_painter.h"

#include <QListView>

#include <functional>

class StatusLineModel;

// The status list: an append-only list of lines, the newest selectable and scrolled into view.
//
// Every row has the same height, so the view places rows by arithmetic and never lays out the
// whole list: appending, selecting and scrolling cost the same at a million lines as at ten. It
// stays a QListView so that keyboard, mouse, selection and accessibility behave as in any list,
// but every QListView virtual that would run its own item layout is overridden here. Painting,
// copying and the lines' tooltips are parts of their own.
class StatusList : public QListView {
    Q_OBJECT
public:
    explicit StatusList(QWidget* parent = nullptr);
    ~StatusList() override;

    void AddItem(const QString& line); // appends at the end
    int ListCount() const;             // number of lines
    int ListIndex() const;             // selected line, -1 when none
    void setListIndex(int index);      // selects the line and scrolls it into view; -1 clears
    QString List(int index) const;     // the text of a line

    // Gives the tooltip of a hovered line; unset or an empty text shows none.
    std::function<QString(const QString& line)> lineToolTip;
    // A note shown under a line's tooltip (the reason behind a failure); few lines have one.
    void setLineNote(int index, const QString& note);
    QString lineHelp(int index) const; // the tooltip of a line, note included
    // Writes every line with the time it was logged and its tooltip; empty when saved, else why not.
    QString saveAllLines(const QString& path) const { return m_copy.saveAllLines(path); }

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    void doItemsLayout() override;

protected:
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool event(QEvent* event) override;

    int horizontalOffset() const override;
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    bool isIndexHidden(const QModelIndex& index) const override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QSize viewportSizeHint() const override;

private:
    int rowHeight() const;
    int topRow() const;
    int visibleRows() const; // rows that fit completely, at least one
    int rowWidth() const;
    qint64 rowAt(int y) const; // the row at a viewport y, unbounded
    void setTopRow(int row);
    void repaintNow();
    void widenContent(int width);
    void updateVerticalRange();
    void updateHorizontalRange();

    StatusLineModel* m_model;
    StatusRowPainter m_painter;
    StatusListCopy m_copy;
    StatusLineHelp m_help;
    FrameRepaint m_repaint;
    int m_top = 0;                  // first row in view; the scroll bar follows it
    bool m_holdRowRepaints = false; // while the base class reacts to a new current line
    bool m_settingScrollBar = false;
    mutable int m_rowHeight = 0; // 0 until measured
    int m_contentWidth = 0;      // widest line painted so far
    bool m_widthUpdatePending = false;
};
