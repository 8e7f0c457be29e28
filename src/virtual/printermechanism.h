#pragma once

#include "heardlistener.h"
#include "replypersonality.h"
#include "statusbytes.h"

#include <QByteArray>
#include <QString>

namespace virt {

class GlyphRenderer;
class PaperRoll;
class WireLog;
struct VirtualProfile;

// What a link's session may reach of the printer it talks to: the mechanism shared by every link
// (paper, fonts, drawer, sensors, the wire log). Sessions know the printer only through this.
class PrinterMechanism {
public:
    virtual ~PrinterMechanism() = default;

    virtual QString name() const = 0;
    virtual const VirtualProfile& profile() const = 0;
    virtual PaperRoll* paper() = 0;
    virtual GlyphRenderer& glyphs() = 0;
    virtual WireLog* wireLog() = 0;
    virtual SensorState sensors() const = 0;
    virtual bool isOnline() const = 0;
    // Which replies this printer sends at all.
    virtual const ReplyPersonality& personality() const { return ReplyPersonality::full(); }
    // Printing stops with the cover open, no paper or off line.
    virtual bool canPrint() const = 0;
    // A pulse on kick connector pin 2 or 5.
    virtual void pulseDrawer(int connectorPin) = 0;
    // A session emptied its receive and print buffers (DLE DC4 fn 8, DLE ENQ 2).
    virtual void buffersCleared() = 0;
    // A text line is going onto the paper; paper running out before the head has finished it
    // loses that line. An empty text: the head holds no line.
    virtual void notePrinting(int top, int height, const QString& text) = 0;
    // A reply leaving the printer, for the wire log.
    virtual void noteSent(const QByteArray& bytes) = 0;
    // Who wants every piece of every stream as it is run (a job listing); usually nobody.
    virtual HeardListener* listener() const { return nullptr; }
};

} // namespace virt
