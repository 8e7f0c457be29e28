#pragma once

#include <QString>
#include <QStringView>

namespace device {

// The print data of an open sideways block (RotatePrint 257 or 258 until 1), kept within the
// block's limits: lines end at LF, and the characters of a line are counted without UPOS escape
// sequences and control characters.
class SidewaysBuffer {
public:
    void setLimits(int maxLines, int maxChars);
    void open(int rotation);
    void close();
    bool isOpen() const { return m_rotation != 0; }
    int rotation() const { return m_rotation; }

    // False, with nothing taken, when the data would make a line or the block too long.
    bool append(QStringView data);
    QString text() const { return m_text; }
    int lineCount() const;
    int longestLine() const;

    static qsizetype printableLength(QStringView line);

private:
    int m_maxLines = 0;
    int m_maxChars = 0;
    int m_rotation = 0;
    QString m_text;
};

} // namespace device
