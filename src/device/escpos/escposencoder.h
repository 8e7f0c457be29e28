#pragma once

#include <QByteArray>
#include <QtGlobal>

class QImage;

namespace device {

// ESC/POS commands as bytes. Pure functions; arguments out of range are clamped to what the
// command can carry.
namespace EscPos {
QByteArray initialize();                               // ESC @
QByteArray selectCharacterTable(int n);                // ESC t n
QByteArray lineFeed();                                 // LF
QByteArray feedLines(int n);                           // ESC d n, split above 255
QByteArray feedDots(int n);                            // ESC J n, split above 255
QByteArray reverseFeedLines(int n);                    // ESC e n (0..255)
QByteArray cut(bool full, int feedDots = 0);           // GS V 65/66 n: feed to the cutter, then cut
QByteArray cutHere(bool full);                         // GS V 0/1: cut at the current position
QByteArray bold(bool on);                              // ESC E n
QByteArray underline(int dots);                        // ESC - n (0, 1, 2)
QByteArray font(int n);                                // ESC M n (0 A, 1 B, ...)
QByteArray printColour(int n);                         // ESC r n (0 black, 1 red)
QByteArray reverse(bool on);                           // GS B n
QByteArray characterSize(int widthMul, int heightMul); // GS ! n (1..8 each)
QByteArray justify(int n);                             // ESC a n (0 left, 1 centre, 2 right)
QByteArray absolutePosition(int dots);                 // ESC $ nL nH
QByteArray upsideDown(bool on);                        // ESC { n
QByteArray pageMode();                                 // ESC L
QByteArray pageArea(int x, int y, int dx, int dy);     // ESC W
QByteArray pageDirection(int n);                       // ESC T n
QByteArray printPage();                                // FF
QByteArray standardMode();                             // ESC S
QByteArray enableAutomaticStatus(quint8 mask);         // GS a n
QByteArray realtimeStatus(int n);                      // DLE EOT n
QByteArray transmitStatus(int n);                      // GS r n
QByteArray processId(const QByteArray& fourChars);     // GS ( H fn 48, answered 37 22 id 00 in order
QByteArray clearBuffers();                             // DLE DC4 fn 8, answered 37 25 00 at once
QByteArray printerInformation(int n);                  // GS I n; 65..69 answered 5F text 00 in order
QByteArray drawerKick(int pin, int onMs, int offMs);   // ESC p m t1 t2
QByteArray rasterImage(const QImage& monochrome);      // GS v 0, dark opaque pixels printed
// GS v 0 bands of a Format_Mono image (index 1 printed), each row preceded by offsetBits white
// dots and padded with white to whole bytes. Empty for a null image or rows over 65535 bytes.
QByteArray rasterBands(const QImage& dots, int offsetBits = 0);
// A Format_Mono image as graphics: stored in the print buffer (GS 8 L fn 112) and printed
// (GS ( L fn 50) in pieces the command takes. Unlike GS v 0 this also prints in page mode, where a
// sideways block needs it.
QByteArray graphics(const QImage& dots);
QByteArray barcodeSetup(int heightDots, int moduleWidth, int hriPosition); // GS h, GS w, GS H
QByteArray barcode(int gsKType,
                   const QByteArray& data); // GS k m n d... (function B); empty: 1..255 bytes only
QByteArray leftMargin(int dots);            // GS L nL nH
QByteArray lineSpacing(int dots);           // ESC 3 n (1..255)
// GS ( k pL pH cn fn parameters: one function of a 2D symbol (cn 48 PDF417, 50 MaxiCode); the
// parameters must fit the 16-bit length (at most 65533 bytes).
QByteArray symbolFunction(int cn, int fn, const QByteArray& parameters);
} // namespace EscPos

} // namespace device
