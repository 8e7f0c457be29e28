#pragma once

#include "capturefolder.h"
#include "glyphrenderer.h"
#include "paperroll.h"
#include "statusbytes.h"
#include "virtualdrawer.h"
#include "virtualprofile.h"
#include "wirelog.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <memory>

namespace virt {

class EscPosSession;

// The virtual mechanism: paper roll, cover and paper sensors, the online switch, the drawer on the
// kick connector, the wire log and the capture folder. Every link talks to it through its own
// EscPosSession; status changes reach each link that enabled automatic status back.
class VirtualPrinter : public QObject {
    Q_OBJECT
public:
    VirtualPrinter(const QString& name, const VirtualProfile& profile, QObject* parent = nullptr);
    ~VirtualPrinter() override;

    QString name() const { return m_name; }
    const VirtualProfile& profile() const { return m_profile; }
    PaperRoll* paper() { return &m_paper; }
    VirtualDrawer* drawer() { return &m_drawer; }
    WireLog* wireLog() { return &m_wireLog; }
    GlyphRenderer& glyphs() { return m_glyphs; }

    // Where receipts and wire.bin go; empty captures nothing. Set before printing.
    void setCaptureFolder(const QString& path);
    QString captureFolder() const { return m_capture ? m_capture->path() : QString(); }
    // The first problem met (an unwritable capture folder), for the window.
    QString problem() const { return m_problem; }

    SensorState sensors() const;
    bool isOnline() const { return m_online; }
    void setOnline(bool online);
    void setCoverOpen(bool open);
    void setPaper(PaperLevel level);
    // Printing stops with the cover open or no paper; data sent meanwhile stays off the paper.
    bool canPrint() const { return !sensors().stopped(); }

    // A new link; the printer owns the session. output gets every reply, from the event loop.
    EscPosSession* attach(std::function<void(const QByteArray&)> output);
    void detach(EscPosSession* session);
    // Bytes arriving on a link. While offline the printer takes nothing.
    void receive(EscPosSession* session, const QByteArray& bytes);

    // For the sessions: a reply leaving the printer (logged and captured).
    void noteSent(const QByteArray& bytes);
    // Saves the part of the roll not yet cut (the program is ending).
    void finish();

Q_SIGNALS:
    void sensorsChanged();
    void problemFound(const QString& message);
    void linkAttached();

private:
    void applySensors(const SensorState& before);
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
    quint8 m_missedItems = 0; // GS a items that changed while offline
    bool m_coverOpen = false;
    PaperLevel m_paperLevel = PaperLevel::Ok;
    SensorState m_lastSensors;
    QList<QPointer<EscPosSession>> m_sessions;
    bool m_finished = false;
};

} // namespace virt
