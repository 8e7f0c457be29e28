#pragma once

#include <QList>
#include <QtGlobal>

namespace virt {

// Bytes of one link's stream, [from, to), counted from the link's first byte.
struct ByteSpan {
    int link = 0;
    qint64 from = 0;
    qint64 to = 0;

    bool isEmpty() const { return to <= from; }
    bool intersects(const ByteSpan& other) const {
        return link == other.link && from < other.to && other.from < to;
    }
    bool contains(qint64 offset) const { return from <= offset && offset < to; }
};

// Rows of one receipt and the bytes that put them there: the command that printed or fed them and
// every byte of the link since its previous band (the text, the styles, the images on the line).
struct PaperBand {
    int top = 0;
    int height = 0;
    ByteSpan bytes;

    int bottom() const { return top + height; }
};

// What a session is running, for the paper to record as it is marked: the bytes not yet on paper
// and where the command being run starts. The paper moves pending.from on once they are.
struct InkSource {
    ByteSpan pending;
    qint64 commandFrom = 0;
};

// The band under a row (the last printed where lines overprint), or null.
const PaperBand* bandAt(const QList<PaperBand>& bands, int row);
// The bands some of whose bytes lie in `bytes`.
QList<PaperBand> bandsOf(const QList<PaperBand>& bands, const ByteSpan& bytes);

} // namespace virt
