#include "paperwirelink.h"

#include "paperview.h"
#include "virtual/wirelog.h"

#include <QItemSelectionModel>
#include <QListView>
#include <QScrollArea>

namespace virt {

PaperWireLink::PaperWireLink(PaperView* paper, QScrollArea* paperScroll, QListView* wire, WireLog* log,
                             QObject* parent)
    : QObject(parent), m_paper(paper), m_paperScroll(paperScroll), m_wire(wire), m_log(log) {
    m_wire->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(m_paper, &PaperView::bytesChosen, this, &PaperWireLink::paperChosen);
    connect(m_wire->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PaperWireLink::wireSelected);
}

ByteSpan PaperWireLink::selectedBytes() const {
    ByteSpan bytes;
    bool first = true;
    for (const QModelIndex& index : m_wire->selectionModel()->selectedRows()) {
        const WireLog::Entry& entry = m_log->entries().at(index.row());
        const ByteSpan span = entry.span();
        if (entry.direction != WireLog::Direction::Received || span.isEmpty() ||
            (!first && span.link != bytes.link))
            continue;
        bytes = first ? span : ByteSpan{span.link, qMin(bytes.from, span.from), qMax(bytes.to, span.to)};
        first = false;
    }
    return bytes;
}

void PaperWireLink::paperChosen(const ByteSpan& bytes) {
    showMark(bytes);
    const QList<int> rows = m_log->rowsOf(bytes);
    m_selecting = true;
    QItemSelection selection;
    for (int row : rows)
        selection.select(m_log->index(row), m_log->index(row));
    m_wire->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.isEmpty()) {
        m_wire->selectionModel()->setCurrentIndex(m_log->index(rows.first()), QItemSelectionModel::NoUpdate);
        m_wire->scrollTo(m_log->index(rows.first()), QAbstractItemView::PositionAtTop);
    }
    m_selecting = false;
}

void PaperWireLink::wireSelected() {
    if (!m_selecting)
        showMark(selectedBytes());
}

void PaperWireLink::showMark(const ByteSpan& bytes) {
    const QRect marked = m_paper->markPrintedBy(bytes);
    if (!marked.isEmpty())
        m_paperScroll->ensureVisible(marked.center().x(), marked.top(), 0, qMin(marked.height(), 200));
}

} // namespace virt
