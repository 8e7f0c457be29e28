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

void SidewaysBuffer::setLimits(int maxLines, int maxChars) {
    m_maxLines = maxLines;
    m_maxChars = maxChars;
}

void SidewaysBuffer::open(int rotation) {
    m_rotation = rotation;
    m_text.clear();
}

void SidewaysBuffer::close() {
    m_rotation = 0;
    m_text.clear();
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

bool SidewaysBuffer::append(QStringView data) {
    const QString next = m_text + data.toString();
    const QStringList lines = linesOf(next);
    if (lines.size() > m_maxLines)
        return false;
    for (const QString& line : lines)
        if (printableLength(line) > m_maxChars)
            return false;
    m_text = next;
    return true;
}

int SidewaysBuffer::lineCount() const {
    return static_cast<int>(linesOf(m_text).size());
}

int SidewaysBuffer::longestLine() const {
    qsizetype longest = 0;
    for (const QString& line : linesOf(m_text))
        longest = qMax(longest, printableLength(line));
    return static_cast<int>(longest);
}

} // namespace device
