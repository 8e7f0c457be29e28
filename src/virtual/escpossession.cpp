#include "escpossession.h"

#include "codepages.h"
#include "paperroll.h"
#include "statusbytes.h"
#include "wirelog.h"

#include <QLoggingCategory>
#include <QPainter>

// Per-command detail: off unless asked for (QT_LOGGING_RULES), a stream of noise would flood it.
Q_LOGGING_CATEGORY(lcSession, "posling.virtual.escpos", QtInfoMsg)

namespace virt {

namespace {

int u8(const QByteArray& frame, int i) {
    return i < frame.size() ? static_cast<quint8>(frame[i]) : 0;
}
int u16(const QByteArray& frame, int i) {
    return u8(frame, i) | (u8(frame, i + 1) << 8);
}
// Selector arguments come as the value or its ASCII digit.
int selector(int n) {
    return n >= '0' && n <= '9' ? n - '0' : n;
}

constexpr int kDefaultPageHeight = 1662;
constexpr int kMaxLineItems = 1024;
constexpr qsizetype kStepSliceBytes = 2048;

// Rows of MSB-first bits, 1 = black.
QImage bitsToImage(const QByteArray& data, int offset, int bytesPerRow, int widthDots, int rows) {
    QImage image(widthDots, rows, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 0; y < rows; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const char* row = data.constData() + offset + y * bytesPerRow;
        for (int x = 0; x < widthDots; ++x)
            if ((static_cast<quint8>(row[x >> 3]) >> (7 - (x & 7))) & 1)
                line[x] = qRgba(0, 0, 0, 255);
    }
    return image;
}

QImage scaled(const QImage& image, int sx, int sy) {
    if (sx == 1 && sy == 1)
        return image;
    return image.scaled(image.width() * sx, image.height() * sy, Qt::IgnoreAspectRatio,
                        Qt::FastTransformation);
}

// The monitor's name for a command; GS ( and GS 8 carry their function in the next byte.
QString describe(const CommandEntry& entry, const QByteArray& frame) {
    const QLatin1String mnemonic(entry.mnemonic), meaning(entry.meaning);
    if (entry.id == Cmd::GraphicsFunction || entry.id == Cmd::GraphicsFunctionLong) {
        const char function = frame.size() > 2 ? frame[2] : '?';
        QString what = QStringLiteral("function");
        if (function == 'k') {
            static const char* const kinds[] = {"PDF417", "QR code", "MaxiCode"};
            const int cn = u8(frame, 5);
            what = cn >= 48 && cn <= 50 ? QString::fromLatin1(kinds[cn - 48]) : QStringLiteral("2D code");
            const int fn = u8(frame, 6);
            what += fn == 80   ? QStringLiteral(" store data")
                    : fn == 81 ? QStringLiteral(" print")
                               : QString();
        } else if (function == 'L') {
            what = QStringLiteral("graphics");
        } else if (function == 'H') {
            what = QStringLiteral("process ID");
        }
        return QStringLiteral("%1 %2  %3").arg(mnemonic, QChar::fromLatin1(function), what);
    }
    if (entry.id == Cmd::Ignored)
        return QStringLiteral("%1  %2 (ignored)").arg(mnemonic, meaning);
    return QStringLiteral("%1  %2").arg(mnemonic, meaning);
}

} // namespace

EscPosSession::EscPosSession(PrinterMechanism* printer, Output output, QObject* parent)
    : QObject(parent), m_printer(printer), m_output(std::move(output)), m_interpreter(this), m_watch(this),
      m_arrival(&m_watch), m_capacity(qMax(1, printer->profile().receiveBufferBytes)),
      m_modes(PrintModes::defaults(printer->profile())) {
    m_page.setArea(QRect(0, 0, printer->profile().widthDots, kDefaultPageHeight));
}

// ---- receive buffer -----------------------------------------------------------------------------

qsizetype EscPosSession::receive(QByteArrayView bytes) {
    const qsizetype taken = qMin(bytes.size(), freeSpace());
    if (taken < bytes.size() || taken == freeSpace())
        m_refusedBytes = true; // full: the link may hold more
    if (taken <= 0)
        return 0;
    // The watch frames the stream as the interpreter will, so a DLE inside image data is data. Byte
    // by byte: a clear empties what came before it, never what follows it in the same chunk.
    for (char byte : bytes.first(taken)) {
        m_buffer.append(byte);
        m_arrival.feed(static_cast<quint8>(byte));
    }
    return taken;
}

void EscPosSession::receiveRealtime(QByteArrayView bytes) {
    ArrivalWatch watch(this);
    EscPosInterpreter framer(&watch);
    framer.feed(bytes);
}

bool EscPosSession::isRealtimeOnly(QByteArrayView bytes) {
    struct Check : CommandSink {
        bool realtime = true;
        void printable(quint8) override { realtime = false; }
        void command(const CommandEntry& entry, const QByteArray&) override {
            realtime = realtime && (entry.id == Cmd::RealtimeStatus || entry.id == Cmd::RealtimeRequest ||
                                    entry.id == Cmd::RealtimeCommand);
        }
        void skipped(const QByteArray&, const char*) override { realtime = false; }
    } check;
    EscPosInterpreter framer(&check);
    framer.feed(bytes);
    return !bytes.isEmpty() && check.realtime && !framer.inCommand();
}

void EscPosSession::ArrivalWatch::command(const CommandEntry& entry, const QByteArray& frame) {
    if (entry.id == Cmd::RealtimeStatus || entry.id == Cmd::RealtimeRequest ||
        entry.id == Cmd::RealtimeCommand)
        m_session->runRealtime(entry, frame);
}

int EscPosSession::processStep() {
    m_motionDots = 0;
    // A long run of bytes that move no paper (commands, noise) is taken in slices, so the event loop
    // (the window, a quit) never waits long for a step.
    const qsizetype sliceEnd = qMin(m_buffer.size(), m_readPos + kStepSliceBytes);
    while (m_readPos < sliceEnd && m_motionDots == 0 && m_printer->canPrint())
        m_interpreter.feed(static_cast<quint8>(m_buffer.at(m_readPos++)));
    compactBuffer();
    if (m_closing && buffered() == 0)
        m_interpreter.finish();
    if (m_refusedBytes && freeSpace() > 0) {
        m_refusedBytes = false;
        Q_EMIT spaceFreed();
    }
    return m_motionDots;
}

void EscPosSession::compactBuffer() {
    if (m_readPos == m_buffer.size()) {
        m_buffer.clear();
        m_readPos = 0;
    } else if (m_readPos > 4096 && m_readPos * 2 > m_buffer.size()) {
        m_buffer.remove(0, m_readPos);
        m_readPos = 0;
    }
}

void EscPosSession::clearOnRequest() {
    clearBuffers();
    m_printer->buffersCleared();
}

void EscPosSession::clearBuffers() {
    m_buffer.clear();
    m_readPos = 0;
    m_interpreter.reset();
    m_line.clear();
    m_x = 0;
    m_page.clear();
    m_pageMode = false;
    m_pagePos = QPoint();
    if (m_refusedBytes) {
        m_refusedBytes = false;
        // Later: a clear arrives inside receive(), while the link is still handing over bytes.
        QMetaObject::invokeMethod(this, &EscPosSession::spaceFreed, Qt::QueuedConnection);
    }
}

// Acted on as they arrive; the copy in the buffer is passed over when the printer reaches it.
void EscPosSession::runRealtime(const CommandEntry& entry, const QByteArray& frame) {
    m_printer->wireLog()->addCommand(WireLog::Direction::Received, frame, describe(entry, frame));
    const int n = u8(frame, 2);
    switch (entry.id) {
    case Cmd::RealtimeStatus:
        reply(StatusBytes::realtime(m_printer->sensors(), n));
        break;
    case Cmd::RealtimeRequest:
        // 1: recover and go on; 2: recover and clear. The stop causes here clear by themselves, so
        // there is no error latch to release.
        if (n == 2)
            clearOnRequest();
        break;
    case Cmd::RealtimeCommand:
        if (n == 1 && u8(frame, 3) <= 1 && u8(frame, 4) >= 1 && u8(frame, 4) <= 8) {
            m_printer->pulseDrawer(u8(frame, 3) == 1 ? 5 : 2);
        } else if (n == 8 && frame.mid(3) == QByteArray::fromHex("01031401060208")) {
            clearOnRequest();
            reply(QByteArray::fromHex("372500"));
        }
        break;
    default:
        break;
    }
}

QString EscPosSession::pendingText() const {
    QString text;
    for (const LineItem& item : m_line)
        if (!item.ch.isNull())
            text += item.ch;
    return text;
}

bool EscPosSession::canPrint() const {
    return m_printer->canPrint();
}

int EscPosSession::lineWidth() const {
    if (m_pageMode)
        return m_page.logicalSize().width();
    const int paper = m_printer->profile().widthDots;
    return qBound(0, qMin(m_modes.areaWidth, paper - m_modes.leftMargin), paper);
}

void EscPosSession::reply(const QByteArray& bytes) {
    if (bytes.isEmpty() || !m_printer->isOnline())
        return;
    m_printer->noteSent(bytes);
    QMetaObject::invokeMethod(
        this,
        [this, bytes] {
            if (m_output)
                m_output(bytes);
        },
        Qt::QueuedConnection);
}

void EscPosSession::sensorsChanged(quint8 items) {
    if (m_asbMask & items)
        reply(StatusBytes::automatic(m_printer->sensors()));
}

// ---- text ---------------------------------------------------------------------------------------

void EscPosSession::printable(quint8 byte) {
    m_printer->wireLog()->addText(byte);
    if (!canPrint())
        return;
    const QChar ch = decodeByte(m_modes.codePage, byte);
    const TextStyle style = m_modes.effectiveStyle();
    addToLine(m_printer->glyphs().render(ch == QChar(0xFFFD) ? QChar(u'?') : ch, style), ch, style);
}

void EscPosSession::addToLine(const QImage& ink, QChar ch, const TextStyle& style) {
    const int width = lineWidth();
    if (ink.width() > width)
        return; // wider than the print area: nothing of it fits
    // The line is full: it wraps. ESC $ and ESC \ can overprint without end; a line that holds
    // that many pieces prints too, so the buffer stays bounded.
    if (m_x + ink.width() > width || m_line.size() >= kMaxLineItems)
        printLine(-1);
    m_line.append(LineItem{ink, m_x, ch, style});
    m_x += ink.width();
}

void EscPosSession::printLine(int feed) {
    if (!canPrint())
        return;
    const int spacing = m_modes.lineSpacing;
    if (m_line.isEmpty()) {
        const int advance = feed < 0 ? spacing : feed;
        if (m_pageMode) {
            m_pagePos.ry() += advance;
        } else {
            m_printer->paper()->feed(advance);
            noteMotion(advance);
        }
        m_x = 0;
        return;
    }
    int height = 0, contentWidth = 0;
    QString text;
    for (const LineItem& item : m_line) {
        height = qMax(height, item.ink.height());
        contentWidth = qMax(contentWidth, item.x + item.ink.width());
        if (!item.ch.isNull())
            text += item.ch;
    }
    const int advance = feed < 0 ? qMax(spacing, height) : feed;
    const int width = m_pageMode ? m_page.logicalSize().width() : m_printer->profile().widthDots;
    int offset = 0;
    if (!m_pageMode) {
        const int area = lineWidth();
        offset = m_modes.leftMargin;
        if (m_modes.justification == 1)
            offset += (area - contentWidth) / 2;
        else if (m_modes.justification == 2)
            offset += area - contentWidth;
    }
    QImage strip(qMax(1, width), height, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    {
        QPainter painter(&strip);
        for (const LineItem& item : m_line)
            painter.drawImage(offset + item.x, height - item.ink.height(), item.ink); // on a common baseline
    }
    if (m_pageMode) {
        m_page.draw(strip, QPoint(0, m_pagePos.y()));
        m_pagePos.ry() += advance;
    } else {
        if (m_modes.upsideDown)
            strip = strip.mirrored(true, true);
        PaperRoll* paper = m_printer->paper();
        paper->reserve(height);
        const int top = paper->position();
        paper->draw(strip, 0, top);
        if (!text.isEmpty())
            paper->addLine(PrintedLine{text, top, height, offset, contentWidth, m_line.front().style});
        paper->feed(advance);
        m_printer->notePrinting(top, height, text);
        noteMotion(advance);
    }
    m_line.clear();
    m_x = 0;
}

void EscPosSession::feedLines(int lines) {
    const int spacing = m_modes.lineSpacing;
    if (m_line.isEmpty()) {
        printLine(lines * spacing);
        return;
    }
    int height = 0;
    for (const LineItem& item : m_line)
        height = qMax(height, item.ink.height());
    printLine(lines == 0 ? 0 : qMax(spacing, height) + (lines - 1) * spacing);
}

// ESC e: prints the buffer, then pulls the paper back n lines in standard mode. A thermal
// mechanism has a small limit; beyond it the paper stays where it is.
void EscPosSession::reverseFeedLines(int lines) {
    if (m_pageMode)
        return;
    if (!m_line.isEmpty())
        printLine(0);
    const int dots = lines * m_modes.lineSpacing;
    if (dots > m_printer->profile().maxReverseFeedDots) {
        m_printer->wireLog()->addCommand(
            WireLog::Direction::Received, QByteArray(),
            QStringLiteral("reverse feed of %1 dots beyond this printer's %2: paper not moved")
                .arg(dots)
                .arg(m_printer->profile().maxReverseFeedDots));
        return;
    }
    if (canPrint())
        m_printer->paper()->feedBack(dots);
}

// An image, bar code or symbol on a line of its own, placed by the justification.
void EscPosSession::printBlock(const QImage& ink) {
    if (!canPrint() || ink.isNull())
        return;
    if (!m_line.isEmpty())
        printLine(-1);
    if (m_pageMode) {
        // A symbol in a page starts where ESC $ put the print position.
        m_page.draw(ink, QPoint(m_x, m_pagePos.y()));
        m_pagePos.ry() += ink.height();
        m_x = 0;
        return;
    }
    const int area = lineWidth();
    int x = m_modes.leftMargin;
    if (ink.width() < area) {
        if (m_modes.justification == 1)
            x += (area - ink.width()) / 2;
        else if (m_modes.justification == 2)
            x += area - ink.width();
    }
    PaperRoll* paper = m_printer->paper();
    paper->reserve(ink.height());
    // Anything past the print area is clipped.
    paper->draw(ink.copy(0, 0, qMin(ink.width(), m_printer->profile().widthDots - x), ink.height()), x,
                paper->position());
    paper->feed(ink.height());
    noteMotion(ink.height());
}

// ---- commands -----------------------------------------------------------------------------------

void EscPosSession::skipped(const QByteArray& bytes, const char* why) {
    m_printer->wireLog()->addCommand(WireLog::Direction::Received, bytes, QString::fromLatin1(why));
    // One bounded line, however long the frame: a truncated image may be a megabyte.
    qCDebug(lcSession).noquote() << why << bytes.first(qMin<qsizetype>(bytes.size(), 32)).toHex(' ')
                                 << (bytes.size() > 32 ? QStringLiteral("... (%1 bytes)").arg(bytes.size())
                                                       : QString());
}

void EscPosSession::command(const CommandEntry& entry, const QByteArray& frame) {
    if (entry.id == Cmd::RealtimeStatus || entry.id == Cmd::RealtimeRequest ||
        entry.id == Cmd::RealtimeCommand)
        return; // acted on when it arrived
    m_printer->wireLog()->addCommand(WireLog::Direction::Received, frame, describe(entry, frame));
    const int p = entry.prefixLength;
    const int n = u8(frame, p);
    switch (entry.id) {
    case Cmd::LineFeed:
        printLine(-1);
        break;
    case Cmd::CarriageReturn:
        break; // CR LF must not feed twice
    case Cmd::Tab: {
        const int column = m_printer->glyphs().cell(m_modes.style.fontB).width + m_modes.style.rightSpacing;
        for (int stop : m_modes.tabStops) {
            if (stop * column > m_x) {
                if (stop * column <= lineWidth())
                    m_x = stop * column;
                break;
            }
        }
        break;
    }
    case Cmd::FormFeed:
        if (m_pageMode) {
            printPage(false);
            m_pageMode = false;
        }
        break;
    case Cmd::Cancel:
        if (m_pageMode) {
            m_page.clear();
            m_line.clear();
            m_x = 0;
        }
        break;
    case Cmd::RightSpacing:
        m_modes.style.rightSpacing = n;
        break;
    case Cmd::PrintMode:
        m_modes.style.fontB = n & 0x01;
        m_modes.emphasis = n & 0x08;
        m_modes.style.heightMul = (n & 0x10) ? 2 : 1;
        m_modes.style.widthMul = (n & 0x20) ? 2 : 1;
        m_modes.style.underline = (n & 0x80) ? 1 : 0;
        break;
    case Cmd::AbsolutePosition: {
        const int x = u16(frame, p);
        if (x < lineWidth())
            m_x = x;
        break;
    }
    case Cmd::RelativePosition: {
        const int x = m_x + qint16(u16(frame, p));
        if (x >= 0 && x < lineWidth())
            m_x = x;
        break;
    }
    case Cmd::BitImage:
        runColumnImage(frame);
        break;
    case Cmd::Underline:
        if (selector(n) <= 2)
            m_modes.style.underline = selector(n);
        break;
    case Cmd::DefaultLineSpacing:
        m_modes.lineSpacing = m_printer->profile().lineSpacing;
        break;
    case Cmd::LineSpacing:
        m_modes.lineSpacing = n;
        break;
    case Cmd::Initialise:
        initialise();
        break;
    case Cmd::TabStops: {
        m_modes.tabStops.clear();
        int last = 0;
        for (int i = 2; i < frame.size() && frame[i] != '\0'; ++i) {
            const int stop = u8(frame, i);
            if (stop <= last)
                break; // stops must ascend
            m_modes.tabStops.append(stop);
            last = stop;
        }
        break;
    }
    case Cmd::Emphasis:
        m_modes.emphasis = n & 1;
        break;
    case Cmd::DoubleStrike:
        m_modes.doubleStrike = n & 1;
        break;
    case Cmd::FeedDots:
        printLine(n);
        break;
    case Cmd::PageMode:
        enterPageMode();
        break;
    case Cmd::Font:
        m_modes.style.fontB = selector(n) == 1 || selector(n) == 2;
        break;
    case Cmd::StandardMode:
        if (m_pageMode) {
            m_page.clear();
            m_line.clear();
            m_x = 0;
            m_pageMode = false;
        }
        break;
    case Cmd::PageDirection:
        if (selector(n) <= 3) {
            m_modes.pageDirection = selector(n);
            if (m_pageMode)
                m_page.setDirection(m_modes.pageDirection);
        }
        break;
    case Cmd::Rotate90:
        m_modes.style.rotate90 = selector(n) == 1 || selector(n) == 2;
        break;
    case Cmd::PageArea: {
        const int x = u16(frame, 2), y = u16(frame, 4), dx = u16(frame, 6), dy = u16(frame, 8);
        const int paper = m_printer->profile().widthDots;
        if (dx == 0 || dy == 0 || x >= paper)
            break;
        m_page.setArea(QRect(x, y, qMin(dx, paper - x), qMin(dy, PageBuffer::kMaxHeight)));
        m_pagePos = QPoint();
        break;
    }
    case Cmd::Justify:
        // Honoured only at the start of a line: a printer ignores it in the middle of one.
        if (selector(n) <= 2 && !m_pageMode && m_line.isEmpty())
            m_modes.justification = selector(n);
        break;
    case Cmd::FeedLines:
        feedLines(n);
        break;
    case Cmd::ReverseFeed:
        reverseFeedLines(n);
        break;
    case Cmd::DrawerKick:
        // m 0/48 is connector pin 2, 1/49 pin 5; any other m drives no pin.
        if (selector(n) <= 1)
            m_printer->pulseDrawer(selector(n) == 1 ? 5 : 2);
        break;
    case Cmd::CodeTable: {
        const auto it = m_printer->profile().codePageForEscT.constFind(n);
        if (it != m_printer->profile().codePageForEscT.constEnd())
            m_modes.codePage = *it;
        else // a printer without the table ignores the command and keeps the one it has
            m_printer->wireLog()->addCommand(
                WireLog::Direction::Received, QByteArray(),
                QStringLiteral("no character code table %1 here: ESC t ignored").arg(n));
        break;
    }
    case Cmd::UpsideDown:
        m_modes.upsideDown = n & 1;
        break;
    case Cmd::PrintPage:
        if (m_pageMode)
            printPage(true);
        break;
    case Cmd::CharacterSize: {
        const int width = ((n >> 4) & 0x0F) + 1, height = (n & 0x0F) + 1;
        if (width <= 8 && height <= 8) {
            m_modes.style.widthMul = width;
            m_modes.style.heightMul = height;
        }
        break;
    }
    case Cmd::PageVerticalPosition:
        if (m_pageMode)
            m_pagePos.setY(u16(frame, p));
        break;
    case Cmd::PageRelativeVertical:
        if (m_pageMode)
            m_pagePos.setY(qMax(0, m_pagePos.y() + qint16(u16(frame, p))));
        break;
    case Cmd::GraphicsFunction:
        if (u8(frame, 2) == 'H')
            runProcessId(frame);
        else if (u8(frame, 2) == 'k')
            run2D(frame);
        else if (u8(frame, 2) == 'L')
            runGraphics(frame, 5);
        break;
    case Cmd::GraphicsFunctionLong:
        runGraphics(frame, 7);
        break;
    case Cmd::ReverseMode:
        m_modes.style.reverse = n & 1;
        break;
    case Cmd::HriPosition:
        if (selector(n) <= 3)
            m_modes.hriPosition = selector(n);
        break;
    case Cmd::PrinterId:
        runPrinterId(n);
        break;
    case Cmd::LeftMargin:
        m_modes.leftMargin = qMin(u16(frame, p), m_printer->profile().widthDots - 1);
        break;
    case Cmd::PrintAreaWidth: {
        const int width = u16(frame, p);
        m_modes.areaWidth = width == 0 ? m_printer->profile().widthDots : width;
        break;
    }
    case Cmd::Cut:
    case Cmd::ImmediateCut:
        cut(frame);
        break;
    case Cmd::PeripheralStatus:
        if (selector(n) == 0)
            reply(StatusBytes::transmit(m_printer->sensors(), 2));
        break;
    case Cmd::PaperStatus:
        reply(StatusBytes::transmit(m_printer->sensors(), 1));
        break;
    case Cmd::AutomaticStatus:
        m_asbMask = quint8(n);
        if (m_asbMask)
            reply(StatusBytes::automatic(m_printer->sensors()));
        break;
    case Cmd::HriFont:
        m_modes.hriFontB = selector(n) == 1;
        break;
    case Cmd::BarHeight:
        if (n > 0)
            m_modes.barHeight = n;
        break;
    case Cmd::ModuleWidth:
        if (n >= 1 && n <= 6)
            m_modes.moduleWidth = n;
        break;
    case Cmd::Barcode:
        runBarcode(frame);
        break;
    case Cmd::TransmitStatus:
        reply(StatusBytes::transmit(m_printer->sensors(), n));
        break;
    case Cmd::RasterImage:
        runRaster(frame);
        break;
    default:
        break; // understood and consumed; nothing to show on the paper
    }
}

void EscPosSession::initialise() {
    m_line.clear();
    m_x = 0;
    m_modes = PrintModes::defaults(m_printer->profile());
    m_pageMode = false;
    m_page.clear();
    m_page.setArea(QRect(0, 0, m_printer->profile().widthDots, kDefaultPageHeight));
    m_page.setDirection(0);
    m_pagePos = QPoint();
    // Automatic status back survives ESC @ (the link keeps its watch); stored symbol data and the
    // graphics in the print buffer do not.
    m_storedGraphic = QImage();
    m_qrData.clear();
    m_pdfData.clear();
    m_maxiData.clear();
}

void EscPosSession::enterPageMode() {
    if (m_pageMode)
        return;
    if (!m_line.isEmpty())
        printLine(-1);
    m_pageMode = true;
    m_page.clear();
    m_page.setDirection(m_modes.pageDirection);
    m_pagePos = QPoint();
}

void EscPosSession::printPage(bool keep) {
    if (!m_line.isEmpty())
        printLine(-1);
    if (canPrint()) {
        const QRect area = m_page.area();
        PaperRoll* paper = m_printer->paper();
        paper->reserve(area.bottom() + 1);
        paper->draw(m_page.image(), area.x(), paper->position() + area.y());
        paper->feed(area.y() + area.height());
        noteMotion(area.y() + area.height());
    }
    if (!keep)
        m_page.clear();
    m_pagePos = QPoint();
}

// GS V, ESC i, ESC m. A cut counts only at the start of a line. The blade sits above the head:
// without a feed of its own the cut falls that far above the last line, and what was printed below
// it starts the next receipt; GS V function B feeds up to the blade (and n more) first.
void EscPosSession::cut(const QByteArray& frame) {
    if (!canPrint() || m_pageMode)
        return; // a cut in page mode would cut through the page being composed
    if (!m_line.isEmpty()) {
        m_printer->wireLog()->addCommand(WireLog::Direction::Received, QByteArray(),
                                         QStringLiteral("cut ignored: not at the start of a line"));
        return;
    }
    const bool gsV = frame.size() > 1 && u8(frame, 0) == 0x1D;
    const int m = gsV ? u8(frame, 2) : 1;
    const bool partial = (m == 1 || m == 49 || m == 66 || m == 98 || m == 104);
    const int blade = m_printer->profile().cutterDistanceDots;
    if (gsV && frame.size() > 3) {
        m_printer->paper()->feed(blade + u8(frame, 3)); // function B: to the blade, then n more
        noteMotion(blade + u8(frame, 3));
    }
    m_printer->paper()->cut(partial ? CutKind::Partial : CutKind::Full, blade);
    m_printer->notePrinting(0, 0, QString()); // the line before the cut left with its receipt
}

void EscPosSession::runPrinterId(int n) {
    const VirtualProfile& profile = m_printer->profile();
    auto text = [](const QString& value) { return QByteArray("_") + value.toLatin1() + QByteArray(1, '\0'); };
    switch (n) {
    case 1:
    case 49:
        reply(QByteArray(1, char(0x20)));
        break;
    case 2:
    case 50:
        reply(QByteArray(1, char(0x02))); // autocutter, no multi-byte characters
        break;
    case 3:
    case 51:
        reply(QByteArray(1, char(0x0A)));
        break;
    case 65:
        reply(text(QStringLiteral("1.00")));
        break;
    case 66:
        reply(text(QStringLiteral("Posling")));
        break;
    case 67:
        reply(text(profile.modelName));
        break;
    case 68:
        reply(
            text(QStringLiteral("VP%1").arg(qHash(m_printer->name()) % 100000000, 8, 10, QLatin1Char('0'))));
        break;
    case 69:
        reply(text(QStringLiteral("PC437")));
        break;
    default:
        break;
    }
}

// GS ( H fn 48: reached in order, so the reply says everything before it has printed.
void EscPosSession::runProcessId(const QByteArray& frame) {
    if (frame.size() != 11 || u8(frame, 5) != 48 || u8(frame, 6) != 48)
        return;
    const QByteArray id = frame.mid(7, 4);
    for (char c : id)
        if (quint8(c) < 0x20 || quint8(c) > 0x7E)
            return;
    reply(QByteArray::fromHex("3722") + id + QByteArray(1, '\0'));
}

// ---- images and symbols -------------------------------------------------------------------------

void EscPosSession::runRaster(const QByteArray& frame) {
    const int m = selector(u8(frame, 3));
    const int bytesPerRow = u16(frame, 4), rows = u16(frame, 6);
    const int sx = (m & 1) ? 2 : 1, sy = (m & 2) ? 2 : 1;
    // What lies past the paper is clipped anyway: never scale it up.
    const int visible = qMin(bytesPerRow * 8, (m_printer->profile().widthDots + sx - 1) / sx);
    printBlock(scaled(bitsToImage(frame, 8, bytesPerRow, visible, rows), sx, sy));
}

void EscPosSession::runColumnImage(const QByteArray& frame) {
    const int m = u8(frame, 2), columns = u16(frame, 3);
    const int dotsPerColumn = (m == 32 || m == 33) ? 24 : 8;
    const int bytesPerColumn = dotsPerColumn / 8;
    QImage image(columns, dotsPerColumn, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int c = 0; c < columns; ++c)
        for (int b = 0; b < bytesPerColumn; ++b) {
            const int value = u8(frame, 5 + c * bytesPerColumn + b);
            for (int bit = 0; bit < 8; ++bit)
                if ((value >> (7 - bit)) & 1)
                    image.setPixel(c, b * 8 + bit, qRgba(0, 0, 0, 255));
        }
    // 8-dot images are a third of the head's vertical density; single density halves the horizontal.
    const int sx = (m == 0 || m == 32) ? 2 : 1;
    const int sy = dotsPerColumn == 8 ? 3 : 1;
    if (canPrint())
        addToLine(scaled(image, sx, sy), QChar(), m_modes.effectiveStyle());
}

void EscPosSession::runGraphics(const QByteArray& frame, int header) {
    const int fn = u8(frame, header + 1);
    if (fn == 50 || fn == 2) {
        if (!m_storedGraphic.isNull())
            printBlock(m_storedGraphic);
        return;
    }
    if (fn != 112 && fn != 0x70)
        return;
    // a bx by c xL xH yL yH d...
    const int base = header + 2;
    const int bx = u8(frame, base + 1), by = u8(frame, base + 2);
    const int width = u16(frame, base + 4), rows = u16(frame, base + 6);
    const int bytesPerRow = (width + 7) / 8;
    const int data = base + 8;
    // The graphics buffer holds at most 2047 x 1662 dots at normal size (half as many rows when
    // doubled); a printer ignores a larger image rather than allocate it.
    const int maxRows = by == 2 ? 831 : 1662;
    if (width == 0 || rows == 0 || width > 2047 || rows > maxRows ||
        qint64(bytesPerRow) * rows > frame.size() - data) {
        m_printer->wireLog()->addCommand(
            WireLog::Direction::Received, QByteArray(),
            QStringLiteral("graphics of %1 x %2 dots refused").arg(width).arg(rows));
        return;
    }
    const int sx = bx == 2 ? 2 : 1;
    const int visible = qMin(width, (m_printer->profile().widthDots + sx - 1) / sx);
    m_storedGraphic = scaled(bitsToImage(frame, data, bytesPerRow, visible, rows), sx, by == 2 ? 2 : 1);
}

void EscPosSession::printSymbol(const QImage& symbol, const QString& what, const QString& error) {
    if (symbol.isNull()) {
        qCDebug(lcSession) << what << "not printed:" << error;
        return;
    }
    if (symbol.width() > lineWidth())
        return; // too wide for the print area: a printer prints nothing
    printBlock(symbol);
}

void EscPosSession::runBarcode(const QByteArray& frame) {
    const int m = u8(frame, 2);
    const QByteArray data = m <= 6 ? frame.mid(3, frame.size() - 4) : frame.mid(4);
    QString error;
    const LinearBarcode code =
        BarcodeRenderer::linear(m, data, m_modes.moduleWidth, m_modes.barHeight, &error);
    if (code.bars.isNull()) {
        printSymbol(QImage(), QStringLiteral("bar code"), error);
        return;
    }
    QImage hri;
    if (m_modes.hriPosition != 0 && !code.hri.isEmpty()) {
        TextStyle style;
        style.fontB = m_modes.hriFontB;
        const CellSize cell = m_printer->glyphs().cell(style.fontB);
        hri = QImage(cell.width * code.hri.size(), cell.height, QImage::Format_ARGB32_Premultiplied);
        hri.fill(Qt::transparent);
        QPainter painter(&hri);
        for (int i = 0; i < code.hri.size(); ++i)
            painter.drawImage(i * cell.width, 0, m_printer->glyphs().render(code.hri.at(i), style));
    }
    const bool above = m_modes.hriPosition & 1, below = m_modes.hriPosition & 2;
    const int gap = 2;
    const int width = qMax(code.bars.width(), hri.width());
    const int height = code.bars.height() + (hri.isNull() ? 0 : (above + below) * (hri.height() + gap));
    QImage block(width, height, QImage::Format_ARGB32_Premultiplied);
    block.fill(Qt::transparent);
    QPainter painter(&block);
    int y = 0;
    if (above && !hri.isNull()) {
        painter.drawImage((width - hri.width()) / 2, 0, hri);
        y = hri.height() + gap;
    }
    painter.drawImage((width - code.bars.width()) / 2, y, code.bars);
    if (below && !hri.isNull())
        painter.drawImage((width - hri.width()) / 2, y + code.bars.height() + gap, hri);
    painter.end();
    printSymbol(block, QStringLiteral("bar code"), error);
}

void EscPosSession::run2D(const QByteArray& frame) {
    // 1D 28 6B pL pH cn fn parameters...
    const int cn = u8(frame, 5), fn = u8(frame, 6);
    const int a = u8(frame, 7), b = u8(frame, 8);
    QString error;
    if (cn == 49) { // QR
        switch (fn) {
        case 65:
            if (a >= 49 && a <= 51)
                m_modes.qr.model = a;
            break;
        case 67:
            if (a >= 1 && a <= 16)
                m_modes.qr.moduleSize = a;
            break;
        case 69:
            if (a >= 48 && a <= 51)
                m_modes.qr.errorLevel = a;
            break;
        case 80:
            m_qrData = frame.mid(8);
            break;
        case 81:
            printSymbol(BarcodeRenderer::qr(m_qrData, m_modes.qr, &error), QStringLiteral("QR"), error);
            break;
        default:
            break;
        }
    } else if (cn == 48) { // PDF417
        switch (fn) {
        case 65:
            if (a <= 30)
                m_modes.pdf417.columns = a;
            break;
        case 66:
            if (a == 0 || (a >= 3 && a <= 90))
                m_modes.pdf417.rows = a;
            break;
        case 67:
            if (a >= 2 && a <= 8)
                m_modes.pdf417.moduleWidth = a;
            break;
        case 68:
            if (a >= 2 && a <= 8)
                m_modes.pdf417.rowHeight = a;
            break;
        case 69:
            if (a == 48 && b >= 48 && b <= 56)
                m_modes.pdf417.errorLevel = b - 48;
            else if (a == 49)
                m_modes.pdf417.errorLevel = -1; // a ratio: let the library choose
            break;
        case 70:
            m_modes.pdf417.truncated = a & 1;
            break;
        case 80:
            m_pdfData = frame.mid(8);
            break;
        case 81:
            printSymbol(BarcodeRenderer::pdf417(m_pdfData, m_modes.pdf417, &error), QStringLiteral("PDF417"),
                        error);
            break;
        default:
            break;
        }
    } else if (cn == 50) { // MaxiCode
        switch (fn) {
        case 65:
            if (a >= 50 && a <= 54)
                m_modes.maxicodeMode = a - 48;
            break;
        case 80:
            m_maxiData = frame.mid(8);
            break;
        case 81:
            printSymbol(BarcodeRenderer::maxicode(m_maxiData, m_modes.maxicodeMode, &error),
                        QStringLiteral("MaxiCode"), error);
            break;
        default:
            break;
        }
    }
}

} // namespace virt
