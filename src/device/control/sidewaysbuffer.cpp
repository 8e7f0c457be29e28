#include "device/control/sidewaysbuffer.h"

#include <QRegularExpression>

namespace device {

namespace {

QStringList linesOf(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // text that ends in LF has no line after it
    return lines;
}

} // namespace

void SidewaysBuffer::setLimits(int maxLines, int maxChars, int lineSpacingDots, int cellWidthDots) {
    m_maxLines = maxLines;
    m_maxChars = maxChars;
    m_lineSpacingDots = qMax(1, lineSpacingDots);
    m_cellWidthDots = qMax(1, cellWidthDots);
}

void SidewaysBuffer::open(int rotation) {
    m_rotation = rotation;
    m_parts.clear();
}

void SidewaysBuffer::close() {
    m_rotation = 0;
    m_parts.clear();
}

qsizetype SidewaysBuffer::printableLength(QStringView line) {
    static const QRegularExpression escape(QStringLiteral("\\x1B\\|!?\\d*[a-z]*[A-Z]"));
    QString text = line.toString();
    text.remove(escape);
    qsizetype count = 0;
    for (const QChar c : text)
        if (c.unicode() >= 0x20)
            ++count;
    return count;
}

// Lines and symbols share the width across the paper; each line and symbol must fit the page's
// length along it.
bool SidewaysBuffer::fits(const QList<Part>& parts) const {
    qint64 acrossUsed = 0;
    const qint64 acrossLimit = qint64(m_maxLines) * m_lineSpacingDots;
    const qint64 alongLimit = qint64(m_maxChars) * m_cellWidthDots;
    for (const Part& part : parts) {
        if (part.isText()) {
            const QStringList lines = linesOf(part.text);
            for (const QString& line : lines)
                if (printableLength(line) > m_maxChars)
                    return false;
            acrossUsed += qint64(lines.size()) * m_lineSpacingDots;
        } else {
            if (part.alongDots > alongLimit)
                return false;
            acrossUsed += part.acrossDots;
        }
    }
    return acrossUsed <= acrossLimit;
}

bool SidewaysBuffer::append(QStringView data) {
    QList<Part> next = m_parts;
    if (next.isEmpty() || !next.last().isText())
        next.append(Part{});
    next.last().text += data.toString();
    if (!fits(next))
        return false;
    m_parts = std::move(next);
    return true;
}

bool SidewaysBuffer::appendSymbol(const QByteArray& bytes, int acrossDots, int alongDots) {
    QList<Part> next = m_parts;
    next.append(Part{QString(), bytes, qMax(0, acrossDots), qMax(0, alongDots)});
    if (bytes.isEmpty() || !fits(next))
        return false;
    m_parts = std::move(next);
    return true;
}

int SidewaysBuffer::lineCount() const {
    qsizetype count = 0;
    for (const Part& part : m_parts)
        if (part.isText())
            count += linesOf(part.text).size();
    return static_cast<int>(count);
}

int SidewaysBuffer::longestLine() const {
    qsizetype longest = 0;
    for (const Part& part : m_parts)
        if (part.isText())
            for (const QString& line : linesOf(part.text))
                longest = qMax(longest, printableLength(line));
    return static_cast<int>(longest);
}

int SidewaysBuffer::alongDots() const {
    int along = longestLine() * m_cellWidthDots;
    for (const Part& part : m_parts)
        along = qMax(along, part.alongDots);
    return along;
}

} // namespace device
