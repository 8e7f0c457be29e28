#pragma once

#include "virtual/paperbands.h"

#include <QObject>

class QListView;
class QScrollArea;

namespace virt {

class PaperView;
class WireLog;

// Ties the paper to the wire monitor: a band of paper chosen (clicked, or stepped to with the arrow
// keys) selects the bytes that made it; bytes selected in the monitor mark what they printed.
// Both ways go through the paper's record of which bytes made which rows.
class PaperWireLink : public QObject {
    Q_OBJECT
public:
    PaperWireLink(PaperView* paper, QScrollArea* paperScroll, QListView* wire, WireLog* log, QObject* parent);

    // The bytes of the monitor's selected rows: the span from the first to the last of them on the
    // link of the first; empty when none is selected or the rows have no place in a stream.
    ByteSpan selectedBytes() const;

private:
    void paperChosen(const ByteSpan& bytes);
    void wireSelected();
    void showMark(const ByteSpan& bytes);

    PaperView* m_paper;
    QScrollArea* m_paperScroll;
    QListView* m_wire;
    WireLog* m_log;
    bool m_selecting = false;
};

} // namespace virt
