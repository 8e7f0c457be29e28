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
        RealTime,   // reply to DLE EOT n: one byte 0xx1xx10
        Automatic,  // automatic status back: four bytes, the first 0xx1xx00
        Transmit,   // reply to GS r n: one byte 0xx0xxxx
        Header,     // 37h, a type byte, its data, 00h (GS ( H, DLE DC4 fn 8): bytes hold type and data
        Information // 5Fh, text, 00h (GS I 65..69): bytes hold the text
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
    // Bytes of the last feed that fit no message: a printer speaking ESC/POS sends none.
    int lastNoise() const { return m_noise; }
    // Bytes held in a message begun but not finished, its first byte included.
    int unfinished() const;

private:
    QByteArray m_automatic; // an automatic status being collected
    QByteArray m_header;    // a header reply being collected, after its 37h
    bool m_inHeader = false;
    int m_noise = 0;
    bool m_inInformation = false;
    QByteArray m_information; // the text of an information reply being collected
};

// The bits of each message (DLE EOT n with its n; GS r n with its n) applied to a status.
void applyRealTime(PrinterStatus& status, int n, quint8 reply);
void applyAutomatic(PrinterStatus& status, const QByteArray& fourBytes);
void applyTransmit(PrinterStatus& status, int n, quint8 reply);

// The header replies the controls ask for.
constexpr quint8 kProcessIdReply = 0x22;      // 37 22 d1 d2 d3 d4 00
constexpr quint8 kBuffersClearedReply = 0x25; // 37 25 00

} // namespace device
