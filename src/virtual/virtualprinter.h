#pragma once

#include "capturefolder.h"
#include "glyphrenderer.h"
#include "paperroll.h"
#include "printermechanism.h"
#include "statusbytes.h"
#include "virtualdrawer.h"
#include "virtualprofile.h"
#include "wirelog.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>

namespace virt {

class EscPosSession;

// The virtual mechanism: paper roll, cover and paper sensors, the online switch, the drawer on the
// kick connector, the wire log and the capture folder. Every link talks to it through its own
// EscPosSession with its own receive buffer; status changes reach each link that enabled automatic
// status back. Buffered data is printed in small steps from the event loop, one paper motion per
// step, so the operator can stop the printer between two lines of one job.
class VirtualPrinter : public QObject, public PrinterMechanism {
    Q_OBJECT
public:
    VirtualPrinter(const QString& name, const VirtualProfile& profile, QObject* parent = nullptr);
    ~VirtualPrinter() override;

    QString name() const override { return m_name; }
    const VirtualProfile& profile() const override { return m_profile; }
    PaperRoll* paper() override { return &m_paper; }
    VirtualDrawer* drawer() { return &m_drawer; }
    WireLog* wireLog() override { return &m_wireLog; }
    GlyphRenderer& glyphs() override { return m_glyphs; }

    // Where receipts and wire.bin go; empty captures nothing. Set before printing.
    void setCaptureFolder(const QString& path);
    QString captureFolder() const { return m_capture ? m_capture->path() : QString(); }
    // The first problem met (an unwritable capture folder), for the window.
    QString problem() const { return m_problem; }

    SensorState sensors() const override;
    bool isOnline() const override { return m_online; }
    const ReplyPersonality& personality() const override { return m_personality; }
    // What the printer answers from now on; what it prints stays the same.
    void setPersonality(const ReplyPersonality& personality);
    void setOnline(bool online);
    void setCoverOpen(bool open);
    void setPaper(PaperLevel level);
    // Printing stops with the cover open, no paper or off line; data received meanwhile waits in
    // the receive buffer.
    bool canPrint() const override { return m_online && !sensors().stopped(); }

    // Print speed in dot lines per second; 0 prints as fast as the event loop runs.
    static constexpr int kRealisticDotLinesPerSecond = 2000; // 250 mm/s at 8 dots/mm
    void setDotLinesPerSecond(int rate);
    int dotLinesPerSecond() const { return m_dotLinesPerSecond; }
    // True while buffered data waits and the printer could print it.
    bool isPrinting() const;
    qsizetype bufferedBytes() const;

    // Hears every piece of every link's stream as it is run; null for none.
    void setListener(HeardListener* listener) { m_listener = listener; }
    HeardListener* listener() const override { return m_listener; }

    // A new link, numbered 1, 2, ... in the order they came; the printer owns the session. output gets every
    // reply, from the event loop.
    EscPosSession* attach(std::function<void(const QByteArray&)> output);
    // The link closed: what it sent still prints, then its session goes.
    void detach(EscPosSession* session);
    // Bytes arriving on a link; returns how many the receive buffer took (the rest must wait for
    // EscPosSession::spaceFreed).
    qsizetype receive(EscPosSession* session, const QByteArray& bytes);
    // Real-time commands that bypass a full buffer.
    void receiveRealtime(EscPosSession* session, const QByteArray& bytes);

    // Empties the receive and print buffers of `session`, as DLE DC4 fn 8 does.
    void clearBuffers(EscPosSession* session);

    // The text line passing under the head at this moment; empty between lines.
    QString lineInHead() const { return m_head.active && m_stepTimer.isActive() ? m_head.text : QString(); }
    // Saves the part of the roll not yet cut (the program is ending).
    void finish();

Q_SIGNALS:
    void sensorsChanged();
    void problemFound(const QString& message);
    void linkAttached();
    void bufferChanged();
    void personalityChanged();
    // A receipt went into the capture folder as `path` (also the paper left uncut at the end).
    void receiptSaved(const QString& path, const virt::Receipt& receipt);

private:
    // For the sessions, through the mechanism.
    void pulseDrawer(int connectorPin) override { m_drawer.pulse(connectorPin); }
    void buffersCleared() override;
    void notePrinting(int top, int height, const QString& text) override;
    void noteSent(const QByteArray& bytes) override;

    void applySensors(const SensorState& before);
    void schedule();
    void step();
    void headFinished();
    void loseLineInHead();
    void dropClosedSessions();
    void receiptClosed(const Receipt& receipt);

    QString m_name;
    VirtualProfile m_profile;
    PaperRoll m_paper;
    VirtualDrawer m_drawer;
    WireLog m_wireLog;
    GlyphRenderer m_glyphs;
    std::unique_ptr<CaptureFolder> m_capture;
    QString m_problem;
    bool m_online = true;
    ReplyPersonality m_personality = ReplyPersonality::full();
    quint8 m_missedItems = 0; // GS a items that changed while offline
    bool m_coverOpen = false;
    PaperLevel m_paperLevel = PaperLevel::Ok;
    SensorState m_lastSensors;
    QList<QPointer<EscPosSession>> m_sessions;
    bool m_finished = false;
    QTimer m_stepTimer;
    int m_dotLinesPerSecond = 0;
    int m_nextSession = 0;
    int m_linksAttached = 0;
    HeardListener* m_listener = nullptr;
    struct LineInHead {
        bool active = false;
        int top = 0;
        int height = 0;
        QString text;
    } m_head;
};

} // namespace virt
