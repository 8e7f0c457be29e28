#pragma once

#include <QString>

#include <optional>

namespace device {

// How much of its state a printer lets Posling see, from nothing to everything.
enum class StatusLevel {
    None,       // answers nothing: a request is done when written; no sensors
    RealTime,   // DLE EOT only: faults are seen, not when a receipt has printed
    InOrder,    // DLE EOT and GS r: everything before a request has printed when it answers
    ProcessIds, // and GS ( H: the printer names each request it has printed
};

// The registry's `status`: auto (nothing, the default: what the printer answers is learnt), none,
// realtime, gsr or all. False for any other word.
bool parseStatusLevel(const QString& word, std::optional<StatusLevel>* level);
QString statusLevelWord(StatusLevel level);

// Text a device sent, safe to show: control characters (a terminal's escape sequences among them)
// are written as \xNN, bytes above 7Fh as Latin-1.
QString shownDeviceText(const QByteArray& bytes);
QString shownDeviceText(const QString& text);

// What the printer says of itself (GS I 65, 66, 67, 68), as far as it says it.
struct PrinterIdentity {
    QString firmware, maker, model, serial;
    bool isEmpty() const {
        return firmware.isEmpty() && maker.isEmpty() && model.isEmpty() && serial.isEmpty();
    }
    // "Test Model (maker Test Maker, firmware 1.0, serial 42)"; empty when it said nothing.
    QString text() const;
};

// What a printer was found to answer on its connection (or what its registry entry says it
// answers).
struct PrinterAnswers {
    bool realTime = false;   // DLE EOT n
    bool inOrder = false;    // GS r n
    bool processIds = false; // GS ( H fn 48
    bool automatic = false;  // automatic status back, once GS a asked for it
    PrinterIdentity identity;
    std::optional<StatusLevel> configured; // set in the registry: nothing was asked

    static PrinterAnswers atLevel(StatusLevel level);
    // The strongest completion the answers allow; in-order replies count only beside real-time
    // ones, which every request is checked with first.
    StatusLevel level() const;
    // What Posling can and cannot see on such a printer, in a technician's words; empty for a
    // printer that answers everything.
    QString advice() const;
    // The replies it gives, for reports: "real-time status, GS r, process IDs, automatic status".
    QString summary() const;
};

} // namespace device
