#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

namespace device {

// The output of an open sideways block (RotatePrint 257 or 258 until 1), kept within the block's
// limits. Text lines end at LF, and the characters of a line are counted without UPOS escape
// sequences and control characters. Text lines stack across the paper one line pitch each; a bar
// code or bitmap in the block takes its own height across the paper and its width along it.
class SidewaysBuffer {
public:
    // One piece of the block in the order it was given: text, or the printer bytes of a symbol.
    struct Part {
        QString text;
        QByteArray symbol;
        int acrossDots = 0;
        int alongDots = 0;
        bool isText() const { return symbol.isEmpty(); }
    };

    // maxLines text lines of lineSpacingDots fill the width across the paper; maxChars characters
    // of cellWidthDots fill the length of the page along it.
    void setLimits(int maxLines, int maxChars, int lineSpacingDots = 1, int cellWidthDots = 1);
    void open(int rotation);
    void close();
    bool isOpen() const { return m_rotation != 0; }
    int rotation() const { return m_rotation; }

    // False, with nothing taken, when the data would make a line or the block too long.
    bool append(QStringView data);
    // False, with nothing taken, when the symbol does not fit beside what the block holds.
    bool appendSymbol(const QByteArray& bytes, int acrossDots, int alongDots);

    const QList<Part>& parts() const { return m_parts; }
    int lineCount() const;
    int longestLine() const;
    // How far along the paper the block's page must run.
    int alongDots() const;

    static qsizetype printableLength(QStringView line);

private:
    bool fits(const QList<Part>& parts) const;

    int m_maxLines = 0;
    int m_maxChars = 0;
    int m_lineSpacingDots = 1;
    int m_cellWidthDots = 1;
    int m_rotation = 0;
    QList<Part> m_parts;
};

} // namespace device
