#pragma once

#include "escposinterpreter.h"
#include "imagecommands.h"
#include "linecomposer.h"
#include "modecommands.h"
#include "pagemode.h"
#include "paperfeed.h"
#include "printermechanism.h"
#include "printmodes.h"
#include "receivebuffer.h"
#include "statusreplies.h"
#include "symbolcommands.h"

#include <QObject>

namespace virt {

// One link's conversation with the printer: it takes the link's bytes into a receive buffer and
// hands each command to the part whose job it is (modes, line, page, images, symbols, replies).
// The paper, sensors and drawer are the printer's, shared by every link.
class EscPosSession : public QObject, private CommandSink {
    Q_OBJECT
public:
    using Output = StatusReplies::Output;

    // `link` numbers the stream for the wire log and the paper's record of which bytes made what.
    EscPosSession(PrinterMechanism* printer, Output output, int link = 1, QObject* parent = nullptr);

    int link() const { return m_ink.pending.link; }

    // Takes bytes from the link into the receive buffer while it has room and returns how many it
    // took; the rest stays with the link (flow control). Real-time commands among the taken bytes
    // are acted on at once, ahead of everything buffered.
    qsizetype receive(QByteArrayView bytes) { return m_receive.receive(bytes); }
    // Real-time commands sent past a full buffer (a host may send them regardless of busy).
    void receiveRealtime(QByteArrayView bytes) { m_receive.receiveRealtime(bytes); }
    qsizetype buffered() const { return m_receive.buffered(); }
    qsizetype freeSpace() const { return m_receive.freeSpace(); }
    // Runs buffered commands in order until the paper moved or the buffer is empty; returns the
    // dot lines the paper moved. Stops at once when the printer cannot print.
    int processStep();
    // Empties the receive and print buffers and returns to standard mode (DLE DC4 fn 8, DLE ENQ 2).
    void clearBuffers();
    // The link closed: a half-received command is dropped.
    void finish() { m_interpreter.finish(); }
    // The link is gone: replies still queued go nowhere; what was received still prints.
    void disconnectOutput() {
        m_status.disconnectOutput();
        m_closing = true;
    }
    bool isClosing() const { return m_closing; }

    const PrintModes& modes() const { return m_modes; }
    const LineComposer& line() const { return m_line; }
    const PageMode& pageMode() const { return m_page; }
    const StatusReplies& status() const { return m_status; }
    const EscPosInterpreter& interpreter() const { return m_interpreter; }

    // Called by the printer when a sensor changed; sends one status block if this link asked.
    void sensorsChanged(quint8 items) { m_status.sensorsChanged(items); }

Q_SIGNALS:
    // The buffer refused bytes earlier and has room again: the link may offer the rest.
    void spaceFreed();

private:
    void printable(quint8 byte) override;
    void command(const CommandEntry& entry, const QByteArray& frame) override;
    void skipped(const QByteArray& bytes, SkipReason why) override;
    void run(const CommandEntry& entry, const QByteArray& frame);

    // Acted on as they arrive; the copy in the buffer is passed over when the printer reaches it.
    void runRealtime(const CommandEntry& entry, const QByteArray& frame);
    // Around each piece run: the paper learns which bytes it is marked by; a listener hears it.
    void beginItem(qint64 from, qsizetype length);
    void endItem(HeardItem::Kind kind, const QByteArray& frame, const CommandEntry* entry = nullptr);
    // DLE DC4 fn 8 and DLE ENQ 2: the buffers go, and the printer hears of it.
    void clearOnRequest();
    void runFunction(const QByteArray& frame);
    void initialise();
    void enterPageMode();
    void printPage(bool keep);
    void printSymbol(const SymbolImage& symbol);

    PrinterMechanism* m_printer;
    PrintModes m_modes;
    PaperFeed m_feed;
    PageMode m_page;
    LineComposer m_line;
    ModeCommands m_modeCommands;
    ImageCommands m_images;
    SymbolCommands m_symbols;
    StatusReplies m_status;
    ReceiveBuffer m_receive;
    EscPosInterpreter m_interpreter;
    InkSource m_ink;
    bool m_closing = false;
};

} // namespace virt
