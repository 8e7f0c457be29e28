#pragma once

#include "escposinterpreter.h"
#include "pagebuffer.h"
#include "printmodes.h"

#include <QObject>
#include <functional>

namespace virt {

class VirtualPrinter;

// One link's conversation with the printer: its command stream, print modes, line buffer,
// page buffer and automatic status setting. The paper, sensors and drawer are the printer's,
// shared by every link.
class EscPosSession : public QObject, private CommandSink {
    Q_OBJECT
public:
    using Output = std::function<void(const QByteArray&)>;

    EscPosSession(VirtualPrinter* printer, Output output, QObject* parent = nullptr);

    void receive(QByteArrayView bytes) { m_interpreter.feed(bytes); }
    // The link closed: a half-received command is dropped.
    void finish() { m_interpreter.finish(); }
    // The link is gone: replies still queued go nowhere.
    void disconnectOutput() { m_output = nullptr; }

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

private:
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
    void printSymbol(const QImage& symbol, const QString& what, const QString& error);

    VirtualPrinter* m_printer;
    Output m_output;
    EscPosInterpreter m_interpreter;
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
