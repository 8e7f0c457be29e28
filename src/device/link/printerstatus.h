#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

namespace device {

// What the printer last said about itself.
struct PrinterStatus {
    bool offline = false;
    bool coverOpen = false;
    bool paperEnd = false;
    bool paperNearEnd = false;
    bool drawerPinHigh = false; // connector pin 3

    bool operator==(const PrinterStatus&) const = default;
};

// One status message taken from the byte stream of a printer.
struct StatusMessage {
    enum class Kind {
        RealTime,  // reply to DLE EOT n: one byte 0xx1xx10
        Automatic, // automatic status back: four bytes, the first 0xx1xx00
        Transmit   // reply to GS r n: one byte 0xx0xxxx
    };
    Kind kind = Kind::RealTime;
    QByteArray bytes;
};

// Splits what a printer sends into status messages by their fixed bits, not by position: replies,
// automatic status and XON/XOFF may arrive interleaved and in pieces.
class StatusParser {
public:
    QList<StatusMessage> feed(const QByteArray& bytes);
    void reset();

private:
    QByteArray m_automatic; // an automatic status being collected
    bool m_inInformation = false;
};

// The bits of each message (DLE EOT n with its n; GS r n with its n) applied to a status.
void applyRealTime(PrinterStatus& status, int n, quint8 reply);
void applyAutomatic(PrinterStatus& status, const QByteArray& fourBytes);
void applyTransmit(PrinterStatus& status, int n, quint8 reply);

} // namespace device
