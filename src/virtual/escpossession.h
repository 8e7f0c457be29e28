#pragma once

#include "escposinterpreter.h"
#include "pagebuffer.h"
#include "printermechanism.h"
#include "printmodes.h"

#include <QObject>
#include <functional>

namespace virt {

// One link's conversation with the printer: its command stream, print modes, line buffer,
// page buffer and automatic status setting. The paper, sensors and drawer are the printer's,
// shared by every link.
class EscPosSession : public QObject, private CommandSink {
    Q_OBJECT
public:
    using Output = std::function<void(const QByteArray&)>;

    EscPosSession(PrinterMechanism* printer, Output output, QObject* parent = nullptr);

    // Takes bytes from the link into the receive buffer while it has room and returns how many it
    // took; the rest stays with the link (flow control). Real-time commands among the taken bytes
    // are acted on at once, ahead of everything buffered.
    qsizetype receive(QByteArrayView bytes);
    // Real-time commands sent past a full buffer (a host may send them regardless of busy).
    void receiveRealtime(QByteArrayView bytes);
    // True when bytes hold only complete real-time commands.
    static bool isRealtimeOnly(QByteArrayView bytes);
    qsizetype buffered() const { return m_buffer.size() - m_readPos; }
    qsizetype freeSpace() const { return m_capacity - buffered(); }
    // Runs buffered commands in order until the paper moved or the buffer is empty; returns the
    // dot lines the paper moved. Stops at once when the printer cannot print.
    int processStep();
    // Empties the receive and print buffers and returns to standard mode (DLE DC4 fn 8, DLE ENQ 2).
    void clearBuffers();
    // The link closed: a half-received command is dropped.
    void finish() { m_interpreter.finish(); }
    // The link is gone: replies still queued go nowhere; what was received still prints.
    void disconnectOutput() {
        m_output = nullptr;
        m_closing = true;
    }
    bool isClosing() const { return m_closing; }

    const PrintModes& modes() const { return m_modes; }
    bool inPageMode() const { return m_pageMode; }
    const PageBuffer& page() const { return m_page; }
    quint8 automaticStatusMask() const { return m_asbMask; }
    const EscPosInterpreter& interpreter() const { return m_interpreter; }
    // Text waiting in the line buffer (printed by the next LF).
    QString pendingText() const;

    // Called by the printer when a sensor changed; sends one status block if this link asked.
    void sensorsChanged(quint8 items);
    // Hands bytes to the link later, from the event loop, never inside the call that caused them.
    void reply(const QByteArray& bytes);

Q_SIGNALS:
    // The buffer refused bytes earlier and has room again: the link may offer the rest.
    void spaceFreed();

private:
    // Watches bytes as they arrive for real-time commands; the buffer keeps its own copy.
    class ArrivalWatch : public CommandSink {
    public:
        explicit ArrivalWatch(EscPosSession* session) : m_session(session) {}
        void printable(quint8) override {}
        void command(const CommandEntry& entry, const QByteArray& frame) override;

    private:
        EscPosSession* m_session;
    };

    void runRealtime(const CommandEntry& entry, const QByteArray& frame);
    // DLE DC4 fn 8 and DLE ENQ 2: the buffers go, and the printer hears of it.
    void clearOnRequest();
    void compactBuffer();
    void noteMotion(int dots) { m_motionDots += qMax(1, dots); }
    struct LineItem {
        QImage ink;
        int x = 0;
        QChar ch; // null for images in the line
        TextStyle style;
    };

    void printable(quint8 byte) override;
    void command(const CommandEntry& entry, const QByteArray& frame) override;
    void skipped(const QByteArray& bytes, const char* why) override;

    bool canPrint() const;
    int lineWidth() const;
    void addToLine(const QImage& ink, QChar ch, const TextStyle& style);
    // Prints the line buffer, then feeds `feed` dots; -1 feeds one line (at least the line's height).
    void printLine(int feed);
    void feedLines(int lines);
    void reverseFeedLines(int lines);
    void printBlock(const QImage& ink);
    void printPage(bool keep);
    void cut(const QByteArray& frame);
    void initialise();
    void enterPageMode();

    void runGraphics(const QByteArray& frame, int headerLength);
    void run2D(const QByteArray& frame);
    void runBarcode(const QByteArray& frame);
    void runRaster(const QByteArray& frame);
    void runColumnImage(const QByteArray& frame);
    void runPrinterId(int n);
    void runProcessId(const QByteArray& frame);
    void printSymbol(const QImage& symbol, const QString& what, const QString& error);

    PrinterMechanism* m_printer;
    Output m_output;
    EscPosInterpreter m_interpreter;
    ArrivalWatch m_watch;
    EscPosInterpreter m_arrival;
    QByteArray m_buffer; // received, not yet processed from m_readPos on
    qsizetype m_readPos = 0;
    qsizetype m_capacity;
    bool m_refusedBytes = false;
    bool m_closing = false;
    int m_motionDots = 0;
    PrintModes m_modes;
    QList<LineItem> m_line;
    int m_x = 0;
    bool m_pageMode = false;
    PageBuffer m_page;
    QPoint m_pagePos;
    quint8 m_asbMask = 0;
    QByteArray m_qrData, m_pdfData, m_maxiData;
    QImage m_storedGraphic;
};

} // namespace virt
