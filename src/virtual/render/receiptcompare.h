#pragma once

#include "virtual/paperbands.h"

#include <QImage>
#include <QList>
#include <QString>

namespace virt {

// Two receipts compared dot for dot (a dot is a dark pixel). Where one is larger, the other counts
// as blank paper there.
struct ReceiptComparison {
    qint64 kept = 0;    // dots on both
    qint64 missing = 0; // on the golden only
    qint64 extra = 0;   // on the new one only
    int firstRow = -1;  // rows with a changed dot
    int lastRow = -1;
    QSize goldenSize;
    QSize renderedSize;

    bool same() const { return missing == 0 && extra == 0 && goldenSize == renderedSize; }
};

ReceiptComparison compareReceipts(const QImage& golden, const QImage& rendered);
// Kept dots grey, missing red, extra green, paper white; as large as the larger of the two.
QImage differenceImage(const QImage& golden, const QImage& rendered);
// One line for a person: what changed, where, and which bytes printed the first changed row.
QString describeDifference(const ReceiptComparison& comparison, const QList<PaperBand>& renderedBands);

} // namespace virt
