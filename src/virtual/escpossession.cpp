#include "escpossession.h"

#include "framebytes.h"
#include "virtualprofile.h"
#include "wirelog.h"

#include <QLoggingCategory>

// Per-command detail: off unless asked for (QT_LOGGING_RULES), a stream of noise would flood it.
Q_LOGGING_CATEGORY(lcSession, "posling.virtual.escpos", QtInfoMsg)

namespace virt {

namespace {

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

EscPosSession::EscPosSession(PrinterMechanism* printer, Output output, int link, QObject* parent)
    : QObject(parent), m_printer(printer), m_modes(PrintModes::defaults(printer->profile())), m_feed(printer),
      m_page(printer, &m_feed), m_line(printer, &m_modes, &m_page, &m_feed),
      m_modeCommands(printer, &m_modes), m_images(printer), m_symbols(printer, &m_modes),
      m_status(printer, std::move(output), this),
      m_receive(printer->profile().receiveBufferBytes,
                [this](const CommandEntry& entry, const QByteArray& frame) { runRealtime(entry, frame); }),
      m_interpreter(this) {
    m_ink.pending.link = link;
}

int EscPosSession::processStep() {
    m_feed.startStep();
    m_receive.startSlice();
    while (m_receive.inSlice() && m_feed.motionDots() == 0 && m_printer->canPrint())
        m_interpreter.feed(m_receive.next());
    m_receive.compact();
    if (m_closing && buffered() == 0)
        m_interpreter.finish();
    if (m_receive.takeRoomNotice())
        Q_EMIT spaceFreed();
    return m_feed.motionDots();
}

void EscPosSession::clearBuffers() {
    const qint64 from = m_interpreter.pendingFrom();
    const bool refused = m_receive.clear();
    m_interpreter.reset();
    m_interpreter.setPosition(m_receive.position());
    // What was dropped never reaches paper: the next band's bytes begin after it.
    const ByteSpan dropped{link(), from, m_receive.position()};
    m_ink.pending.from = m_ink.pending.to = dropped.to;
    if (HeardListener* listener = m_printer->listener(); listener && !dropped.isEmpty())
        listener->heard(HeardItem{HeardItem::Kind::Cleared, dropped, QByteArray(), nullptr});
    m_line.clear();
    m_page.clearBuffer();
    // Later: a clear arrives inside receive(), while the link is still handing over bytes.
    if (refused)
        QMetaObject::invokeMethod(this, &EscPosSession::spaceFreed, Qt::QueuedConnection);
}

void EscPosSession::clearOnRequest() {
    clearBuffers();
    m_printer->buffersCleared();
}

void EscPosSession::runRealtime(const CommandEntry& entry, const QByteArray& frame) {
    m_printer->wireLog()->addCommand(WireLog::Direction::Received, frame, describe(entry, frame));
    const int n = u8(frame, 2);
    switch (entry.id) {
    case Cmd::RealtimeStatus:
        m_status.realtime(n);
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
        } else if (n == 8 && frame.mid(3) == QByteArray::fromHex("01031401060208") &&
                   m_printer->personality().answers(ReplyKind::BufferClear)) {
            clearOnRequest();
            m_status.buffersCleared();
        }
        break;
    default:
        break;
    }
}

void EscPosSession::beginItem(qint64 from, qsizetype length) {
    m_ink.commandFrom = from;
    m_ink.pending.to = from + length;
    m_printer->paper()->setSource(&m_ink);
}

void EscPosSession::endItem(HeardItem::Kind kind, const QByteArray& frame, const CommandEntry* entry) {
    m_printer->paper()->setSource(nullptr);
    if (HeardListener* listener = m_printer->listener())
        listener->heard(HeardItem{kind, ByteSpan{link(), m_ink.commandFrom, m_ink.pending.to}, frame, entry});
}

void EscPosSession::printable(quint8 byte) {
    const qint64 at = m_interpreter.deliveredAt();
    // A character that does not fit prints the line before it and starts the next: it is not
    // among that line's bytes.
    beginItem(at, 0);
    m_printer->wireLog()->addText(byte, link(), at);
    m_line.addCharacter(byte);
    m_ink.pending.to = at + 1;
    if (m_printer->listener())
        endItem(HeardItem::Kind::Text, QByteArray(1, char(byte)));
    else
        m_printer->paper()->setSource(nullptr);
}

void EscPosSession::skipped(const QByteArray& bytes, SkipReason why) {
    beginItem(m_interpreter.deliveredAt(), bytes.size());
    endItem(why == SkipReason::RefusedHeader      ? HeardItem::Kind::Refused
            : why == SkipReason::TruncatedCommand ? HeardItem::Kind::Truncated
                                                  : HeardItem::Kind::Unknown,
            bytes);
    m_printer->wireLog()->addCommand(WireLog::Direction::Received, bytes,
                                     QString::fromLatin1(skipReasonText(why)),
                                     WireLog::Source{link(), m_ink.commandFrom});
    // One bounded line, however long the frame: a truncated image may be a megabyte.
    qCDebug(lcSession).noquote() << skipReasonText(why)
                                 << bytes.first(qMin<qsizetype>(bytes.size(), 32)).toHex(' ')
                                 << (bytes.size() > 32 ? QStringLiteral("... (%1 bytes)").arg(bytes.size())
                                                       : QString());
}

void EscPosSession::command(const CommandEntry& entry, const QByteArray& frame) {
    beginItem(m_interpreter.deliveredAt(), frame.size());
    run(entry, frame);
    endItem(entry.id == Cmd::Ignored ? HeardItem::Kind::Ignored : HeardItem::Kind::Command, frame, &entry);
}

void EscPosSession::run(const CommandEntry& entry, const QByteArray& frame) {
    if (ReceiveBuffer::isRealtime(entry.id))
        return; // acted on when it arrived
    m_printer->wireLog()->addCommand(WireLog::Direction::Received, frame, describe(entry, frame),
                                     WireLog::Source{link(), m_ink.commandFrom});
    if (m_modeCommands.apply(entry, frame))
        return;
    const int p = entry.prefixLength;
    const int n = u8(frame, p);
    switch (entry.id) {
    case Cmd::LineFeed:
        m_line.printLine(-1);
        break;
    case Cmd::CarriageReturn:
        break; // CR LF must not feed twice
    case Cmd::Tab:
        m_line.tab();
        break;
    case Cmd::AbsolutePosition:
        m_line.setPosition(u16(frame, p));
        break;
    case Cmd::RelativePosition:
        m_line.movePosition(qint16(u16(frame, p)));
        break;
    case Cmd::Justify:
        // Honoured only at the start of a line: a printer ignores it in the middle of one.
        if (selector(n) <= 2 && !m_page.isActive() && m_line.isEmpty())
            m_modes.justification = selector(n);
        break;
    case Cmd::FeedDots:
        m_line.printLine(n);
        break;
    case Cmd::FeedLines:
        m_line.feedLines(n);
        break;
    case Cmd::ReverseFeed:
        m_line.reverseFeedLines(n);
        break;
    case Cmd::Cut:
    case Cmd::ImmediateCut:
        m_line.cut(frame);
        break;
    case Cmd::Initialise:
        initialise();
        break;
    case Cmd::PageMode:
        enterPageMode();
        break;
    case Cmd::FormFeed:
        if (m_page.isActive()) {
            printPage(false);
            m_page.leave();
        }
        break;
    case Cmd::PrintPage:
        if (m_page.isActive())
            printPage(true);
        break;
    case Cmd::Cancel: // drops what the page holds; ESC S leaves page mode too
    case Cmd::StandardMode:
        if (m_page.isActive()) {
            m_page.discard();
            m_line.clear();
            if (entry.id == Cmd::StandardMode)
                m_page.leave();
        }
        break;
    case Cmd::PageDirection:
        if (selector(n) <= 3) {
            m_modes.pageDirection = selector(n);
            m_page.setDirection(m_modes.pageDirection);
        }
        break;
    case Cmd::PageArea:
        m_page.setArea(u16(frame, 2), u16(frame, 4), u16(frame, 6), u16(frame, 8));
        break;
    case Cmd::PageVerticalPosition:
        m_page.setVertical(u16(frame, p));
        break;
    case Cmd::PageRelativeVertical:
        m_page.moveVertical(qint16(u16(frame, p)));
        break;
    case Cmd::BitImage:
        m_line.addImage(ImageCommands::columnImage(frame));
        break;
    case Cmd::RasterImage:
        m_line.printBlock(m_images.raster(frame));
        break;
    case Cmd::GraphicsFunction:
        runFunction(frame);
        break;
    case Cmd::GraphicsFunctionLong:
        m_line.printBlock(m_images.graphics(frame, 7));
        break;
    case Cmd::Barcode:
        printSymbol(m_symbols.barcode(frame));
        break;
    case Cmd::DrawerKick:
        // m 0/48 is connector pin 2, 1/49 pin 5; any other m drives no pin.
        if (selector(n) <= 1)
            m_printer->pulseDrawer(selector(n) == 1 ? 5 : 2);
        break;
    case Cmd::PrinterId:
        m_status.printerInfo(n);
        break;
    case Cmd::PeripheralStatus:
        m_status.peripheralStatus(n);
        break;
    case Cmd::PaperStatus:
        m_status.transmit(1);
        break;
    case Cmd::TransmitStatus:
        m_status.transmit(n);
        break;
    case Cmd::AutomaticStatus:
        m_status.setAutomatic(quint8(n));
        break;
    default:
        break; // understood and consumed; nothing to show on the paper
    }
}

// GS ( carries its function in the next byte.
void EscPosSession::runFunction(const QByteArray& frame) {
    switch (u8(frame, 2)) {
    case 'H':
        m_status.processDone(frame);
        break;
    case 'k':
        if (const std::optional<SymbolImage> symbol = m_symbols.run2D(frame))
            printSymbol(*symbol);
        break;
    case 'L':
        m_line.printBlock(m_images.graphics(frame, 5));
        break;
    default:
        break;
    }
}

void EscPosSession::initialise() {
    m_line.clear();
    m_modes = PrintModes::defaults(m_printer->profile());
    m_page.reset();
    // Automatic status back survives ESC @ (the link keeps its watch); stored symbol data and the
    // graphics in the print buffer do not.
    m_images.clear();
    m_symbols.clear();
}

void EscPosSession::enterPageMode() {
    if (m_page.isActive())
        return;
    m_line.finishLine();
    m_page.enter(m_modes.pageDirection);
}

void EscPosSession::printPage(bool keep) {
    m_line.finishLine();
    m_page.print(keep);
}

void EscPosSession::printSymbol(const SymbolImage& symbol) {
    if (symbol.image.isNull()) {
        qCDebug(lcSession) << symbol.what << "not printed:" << symbol.error;
        return;
    }
    m_line.printSymbol(symbol.image);
}

} // namespace virt
