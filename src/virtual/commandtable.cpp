#include "commandtable.h"

#include <algorithm>
#include <array>

namespace virt {

namespace {

int u8(QByteArrayView frame, int i) {
    return static_cast<quint8>(frame[i]);
}
int u16(QByteArrayView frame, int i) {
    return u8(frame, i) | (u8(frame, i + 1) << 8);
}

// A size that is zero or beyond kMaxCommandData refuses the frame.
int withData(int header, qint64 data) {
    if (data < 0 || data > kMaxCommandData)
        return kRefuse;
    return header + static_cast<int>(data);
}

// NUL-terminated list of at most `limit` bytes after the prefix (ESC D, GS k function A).
int nulTerminated(QByteArrayView frame, int start, int limit) {
    if (frame.size() > start && frame.back() == '\0')
        return static_cast<int>(frame.size());
    if (frame.size() - start >= limit)
        return kRefuse;
    return kNeedMore;
}

int tabStopsRule(const CommandEntry&, QByteArrayView frame) {
    return nulTerminated(frame, 2, 33);
}

// ESC * m nL nH: n columns of 1 (8-dot) or 3 (24-dot) bytes.
int bitImageRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 5)
        return 5;
    const int m = u8(frame, 2);
    const int bytesPerColumn = (m == 32 || m == 33) ? 3 : (m <= 1 ? 1 : -1);
    const int columns = u16(frame, 3);
    if (bytesPerColumn < 0 || columns > 4096)
        return kRefuse;
    return 5 + columns * bytesPerColumn;
}

// ESC & y c1 c2 [x d1..d(y*x)] for each character c1..c2.
int userCharactersRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 5)
        return 5;
    const int y = u8(frame, 2), c1 = u8(frame, 3), c2 = u8(frame, 4);
    if (y < 1 || y > 3 || c1 < 32 || c2 > 126 || c1 > c2)
        return kRefuse;
    int pos = 5;
    for (int c = c1; c <= c2; ++c) {
        if (frame.size() <= pos)
            return pos + 1;
        const int x = u8(frame, pos);
        if (x > 12)
            return kRefuse;
        pos += 1 + y * x;
    }
    return pos;
}

// ESC c n m: n is 0, 1, 3, 4 or 5, as a value or a digit.
int panelRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 3)
        return 3;
    const int n = u8(frame, 2) >= '0' ? u8(frame, 2) - '0' : u8(frame, 2);
    return (n == 0 || n == 1 || (n >= 3 && n <= 5)) ? 4 : kRefuse;
}

// ESC ( x, FS ( x and GS ( x: a function letter, then pL pH and that many bytes.
int functionRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 5)
        return 5;
    return withData(5, u16(frame, 3));
}

// FS g 1 m a1 a2 a3 a4 nL nH d1..dk writes NV user memory; FS g 2 m a1 a2 a3 a4 nL nH reads it.
int userMemoryRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 3)
        return 3;
    const int fn = u8(frame, 2);
    if (fn == '2')
        return 10;
    if (fn != '1')
        return kRefuse;
    if (frame.size() < 10)
        return 10;
    return withData(10, u16(frame, 8));
}

// GS C 0 n m, GS C 1 aL aH bL bH n r, GS C 2 nL nH (serial counter), GS C ; then five fields that
// each end with ';'.
int counterRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 3)
        return 3;
    switch (u8(frame, 2)) {
    case '0':
        return 5;
    case '1':
        return 9;
    case '2':
        return 5;
    case ';': {
        if (frame.size() > 3 + 5 * 6)
            return kRefuse; // each field is at most five digits
        const qsizetype ends = std::count(frame.begin() + 3, frame.end(), ';');
        return ends >= 5 ? static_cast<int>(frame.size()) : kNeedMore;
    }
    default:
        return kRefuse;
    }
}

// GS Q 0 m xL xH yL yH d1..dk: x columns of y dots, k = x * ((y + 7) / 8).
int variableImageRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 3)
        return 3;
    if (u8(frame, 2) != '0')
        return kRefuse;
    if (frame.size() < 8)
        return 8;
    const int x = u16(frame, 4), y = u16(frame, 6);
    if (x == 0 || y == 0 || x > 4256 || y > 16)
        return kRefuse;
    return withData(8, qint64(x) * ((y + 7) / 8));
}

// GS g 0 m nL nH and GS g 2 m nL nH: maintenance counters.
int maintenanceRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 3)
        return 3;
    return (u8(frame, 2) == '0' || u8(frame, 2) == '2') ? 6 : kRefuse;
}

// GS 8 L p1 p2 p3 p4 data
int gsEightRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 3)
        return 3;
    if (frame[2] != 'L')
        return kRefuse;
    if (frame.size() < 7)
        return 7;
    const qint64 size = qint64(u16(frame, 3)) | (qint64(u16(frame, 5)) << 16);
    return withData(7, size);
}

// GS * x y: x*y*8 bytes.
int downloadImageRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 4)
        return 4;
    const int x = u8(frame, 2), y = u8(frame, 3);
    if (x == 0 || y == 0 || x * y > 1536)
        return kRefuse;
    return 4 + x * y * 8;
}

// GS V m [n]
int cutRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 3)
        return 3;
    switch (u8(frame, 2)) {
    case 0:
    case 1:
    case 48:
    case 49:
        return 3;
    case 65:
    case 66:
    case 97:
    case 98:
    case 103:
    case 104:
        return 4;
    default:
        return kRefuse;
    }
}

// GS k m: function A (m 0..6) is NUL-terminated, function B (m 65..79) carries its length.
int barcodeRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 3)
        return 3;
    const int m = u8(frame, 2);
    if (m <= 6)
        return nulTerminated(frame, 3, 256);
    if (m >= 65 && m <= 79) {
        if (frame.size() < 4)
            return 4;
        const int n = u8(frame, 3);
        return n == 0 ? kRefuse : 4 + n;
    }
    return kRefuse;
}

// GS v 0 m xL xH yL yH data: x bytes per row, y rows.
int rasterRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 3)
        return 3;
    if (u8(frame, 2) != '0' && u8(frame, 2) != 0)
        return kRefuse;
    if (frame.size() < 8)
        return 8;
    const int m = u8(frame, 3);
    if (!(m <= 3 || (m >= 48 && m <= 51)))
        return kRefuse;
    const int x = u16(frame, 4), y = u16(frame, 6);
    if (x == 0 || y == 0 || x > 512 || y > 8192)
        return kRefuse;
    return withData(8, qint64(x) * y);
}

// DLE DC4 fn ...: fn 1 pulse (m t), fn 2 power-off (a b), fn 3 buzzer (a n r t1 t2), fn 7 status (m),
// fn 8 clear buffers (seven fixed bytes).
int realtimeCommandRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 3)
        return 3;
    switch (u8(frame, 2)) {
    case 1:
    case 2:
        return 5;
    case 3:
        return 8;
    case 7:
        return 4;
    case 8:
        return 10;
    default:
        return kRefuse;
    }
}

// DLE EOT n and DLE ENQ n: n 1..4; DLE EOT 7 a and DLE EOT 8 a carry one more byte.
int realtimeStatusRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 3)
        return 3;
    const int n = u8(frame, 2);
    if (n == 7 || n == 8)
        return u8(frame, 1) == 0x04 ? 4 : kRefuse;
    return (n >= 1 && n <= 4) ? 3 : kRefuse;
}

// FS q n [xL xH yL yH d1..d(x*y*8)] n times: x 1..1023 and y 1..288, in 8-dot units.
int nvImagesRule(const CommandEntry&, QByteArrayView frame) {
    if (frame.size() < 3)
        return 3;
    const int count = u8(frame, 2);
    if (count == 0)
        return kRefuse;
    qint64 pos = 3;
    for (int image = 0; image < count; ++image) {
        if (frame.size() < pos + 4)
            return static_cast<int>(pos + 4);
        const int x = u16(frame, static_cast<int>(pos)), y = u16(frame, static_cast<int>(pos) + 2);
        if (x < 1 || x > 1023 || y < 1 || y > 288)
            return kRefuse;
        pos += 4 + qint64(x) * y * 8;
        if (pos > kMaxCommandData)
            return kRefuse;
        if (image + 1 < count && frame.size() < pos)
            return static_cast<int>(pos); // the next image's header follows this data
    }
    return static_cast<int>(pos);
}

int macroRule(const CommandEntry&, QByteArrayView) {
    return 5;
}

#define FIXED(id, mn, meaning, args)                                                                         \
    CommandEntry {                                                                                           \
        Cmd::id, mn, meaning, 2, args, nullptr                                                               \
    }
#define RULE(id, mn, meaning, rule)                                                                          \
    CommandEntry {                                                                                           \
        Cmd::id, mn, meaning, 2, 0, rule                                                                     \
    }

#define IGNORED(mn, meaning, args)                                                                           \
    CommandEntry {                                                                                           \
        Cmd::Ignored, mn, meaning, 2, args, nullptr                                                          \
    }
#define IGNORED_RULE(mn, meaning, rule)                                                                      \
    CommandEntry {                                                                                           \
        Cmd::Ignored, mn, meaning, 2, 0, rule                                                                \
    }

const CommandEntry kSingles[] = {
    {Cmd::LineFeed, "LF", "print and feed one line", 1, 0, nullptr},
    {Cmd::CarriageReturn, "CR", "carriage return (ignored)", 1, 0, nullptr},
    {Cmd::Tab, "HT", "horizontal tab", 1, 0, nullptr},
    {Cmd::FormFeed, "FF", "print page", 1, 0, nullptr},
    {Cmd::Cancel, "CAN", "cancel page data", 1, 0, nullptr},
};

const CommandEntry kEsc[] = {
    FIXED(RightSpacing, "ESC SP", "right character spacing", 1),
    FIXED(PrintMode, "ESC !", "print mode", 1),
    FIXED(AbsolutePosition, "ESC $", "absolute position", 2),
    FIXED(UserCharacterSet, "ESC %", "user-defined characters on/off", 1),
    RULE(DefineUserCharacters, "ESC &", "define user characters", userCharactersRule),
    IGNORED_RULE("ESC (", "extended function", functionRule),
    RULE(BitImage, "ESC *", "bit image", bitImageRule),
    FIXED(Underline, "ESC -", "underline", 1),
    FIXED(DefaultLineSpacing, "ESC 2", "default line spacing", 0),
    FIXED(LineSpacing, "ESC 3", "line spacing", 1),
    IGNORED("ESC <", "return home", 0),
    FIXED(SelectPeripheral, "ESC =", "select peripheral", 1),
    FIXED(CancelUserCharacter, "ESC ?", "cancel user character", 1),
    FIXED(Initialise, "ESC @", "initialise", 0),
    RULE(TabStops, "ESC D", "tab stops", tabStopsRule),
    FIXED(Emphasis, "ESC E", "emphasis", 1),
    FIXED(DoubleStrike, "ESC G", "double strike", 1),
    FIXED(FeedDots, "ESC J", "print and feed dots", 1),
    FIXED(PageMode, "ESC L", "page mode", 0),
    FIXED(Font, "ESC M", "font", 1),
    FIXED(InternationalSet, "ESC R", "international character set", 1),
    FIXED(StandardMode, "ESC S", "standard mode", 0),
    FIXED(PageDirection, "ESC T", "page direction", 1),
    IGNORED("ESC U", "unidirectional printing", 1),
    FIXED(Rotate90, "ESC V", "rotate 90 degrees clockwise", 1),
    FIXED(PageArea, "ESC W", "page area", 8),
    FIXED(RelativePosition, "ESC \\", "relative position", 2),
    FIXED(Justify, "ESC a", "justification", 1),
    RULE(PanelSensors, "ESC c", "panel and paper sensors", panelRule),
    FIXED(FeedLines, "ESC d", "print and feed lines", 1),
    FIXED(ReverseFeed, "ESC e", "reverse feed", 1),
    FIXED(ImmediateCut, "ESC i", "partial cut (one point left)", 0),
    FIXED(ImmediateCut, "ESC m", "partial cut (three points left)", 0),
    FIXED(DrawerKick, "ESC p", "drawer kick", 3),
    IGNORED("ESC r", "print colour", 1),
    FIXED(CodeTable, "ESC t", "code table", 1),
    FIXED(PeripheralStatus, "ESC u", "transmit peripheral status", 1),
    FIXED(PaperStatus, "ESC v", "transmit paper sensor status", 0),
    FIXED(UpsideDown, "ESC {", "upside-down", 1),
    FIXED(PrintPage, "ESC FF", "print page, stay in page mode", 0),
};
const quint8 kEscBytes[] = {' ', '!', '$', '%', '&', '(', '*', '-', '2', '3', '<', '=', '?',  '@',
                            'D', 'E', 'G', 'J', 'L', 'M', 'R', 'S', 'T', 'U', 'V', 'W', '\\', 'a',
                            'c', 'd', 'e', 'i', 'm', 'p', 'r', 't', 'u', 'v', '{', 0x0C};

const CommandEntry kGs[] = {
    FIXED(CharacterSize, "GS !", "character size", 1),
    IGNORED("GS #", "select NV bit image", 1),
    FIXED(PageVerticalPosition, "GS $", "page vertical position", 2),
    RULE(GraphicsFunction, "GS (", "function", functionRule),
    RULE(DownloadBitImage, "GS *", "define downloaded image", downloadImageRule),
    FIXED(PrintDownloadedImage, "GS /", "print downloaded image", 1),
    RULE(GraphicsFunctionLong, "GS 8", "graphics (long)", gsEightRule),
    FIXED(MacroDefinition, "GS :", "macro definition", 0),
    FIXED(ReverseMode, "GS B", "reverse printing", 1),
    IGNORED_RULE("GS C", "counter printing", counterRule),
    IGNORED("GS E", "print head energy", 1),
    FIXED(HriPosition, "GS H", "HRI position", 1),
    FIXED(PrinterId, "GS I", "printer ID", 1),
    FIXED(LeftMargin, "GS L", "left margin", 2),
    FIXED(MotionUnits, "GS P", "motion units", 2),
    IGNORED_RULE("GS Q", "variable vertical size bit image", variableImageRule),
    IGNORED("GS T", "print position to line start", 1),
    RULE(Cut, "GS V", "cut", cutRule),
    FIXED(PrintAreaWidth, "GS W", "print area width", 2),
    FIXED(PageRelativeVertical, "GS \\", "page relative vertical position", 2),
    RULE(MacroExecute, "GS ^", "execute macro", macroRule),
    FIXED(AutomaticStatus, "GS a", "automatic status back", 1),
    FIXED(Smoothing, "GS b", "smoothing", 1),
    IGNORED("GS c", "print counter", 0),
    FIXED(HriFont, "GS f", "HRI font", 1),
    IGNORED_RULE("GS g", "maintenance counter", maintenanceRule),
    FIXED(BarHeight, "GS h", "bar height", 1),
    IGNORED("GS j", "automatic status back (ink)", 1),
    RULE(Barcode, "GS k", "barcode", barcodeRule),
    FIXED(TransmitStatus, "GS r", "transmit status", 1),
    RULE(RasterImage, "GS v", "raster image", rasterRule),
    FIXED(ModuleWidth, "GS w", "module width", 1),
    IGNORED("GS z", "online recovery wait time", 3),
};
const quint8 kGsBytes[] = {'!', '#', '$', '(', '*', '/', '8', ':', 'B',  'C', 'E',
                           'H', 'I', 'L', 'P', 'Q', 'T', 'V', 'W', '\\', '^', 'a',
                           'b', 'c', 'f', 'g', 'h', 'j', 'k', 'r', 'v',  'w', 'z'};

const CommandEntry kDle[] = {
    RULE(RealtimeStatus, "DLE EOT", "real-time status", realtimeStatusRule),
    RULE(RealtimeRequest, "DLE ENQ", "real-time request", realtimeStatusRule),
    RULE(RealtimeCommand, "DLE DC4", "real-time command", realtimeCommandRule),
};
const quint8 kDleBytes[] = {0x04, 0x05, 0x14};

const CommandEntry kFs[] = {
    FIXED(KanjiMode, "FS !", "kanji print mode", 1),
    FIXED(KanjiOn, "FS &", "kanji mode on", 0),
    IGNORED_RULE("FS (", "extended function", functionRule),
    FIXED(KanjiUnderline, "FS -", "kanji underline", 1),
    FIXED(KanjiOff, "FS .", "kanji mode off", 0),
    IGNORED("FS 2", "define user kanji", 74),
    IGNORED("FS ?", "cancel user kanji", 2),
    IGNORED("FS C", "kanji code system", 1),
    IGNORED("FS S", "kanji spacing", 2),
    IGNORED("FS W", "kanji quadruple size", 1),
    IGNORED_RULE("FS g", "NV user memory", userMemoryRule),
    FIXED(PrintNvImage, "FS p", "print NV image", 2),
    RULE(DefineNvImages, "FS q", "define NV images", nvImagesRule),
};
const quint8 kFsBytes[] = {'!', '&', '(', '-', '.', '2', '?', 'C', 'S', 'W', 'g', 'p', 'q'};

#undef FIXED
#undef RULE
#undef IGNORED
#undef IGNORED_RULE

using PairTable = std::array<const CommandEntry*, 256>;

template <size_t N> PairTable makeTable(const CommandEntry (&entries)[N], const quint8 (&bytes)[N]) {
    PairTable table{};
    for (size_t i = 0; i < N; ++i)
        table[bytes[i]] = &entries[i];
    return table;
}

const PairTable& tableFor(quint8 prefix) {
    static const PairTable esc = makeTable(kEsc, kEscBytes);
    static const PairTable gs = makeTable(kGs, kGsBytes);
    static const PairTable dle = makeTable(kDle, kDleBytes);
    static const PairTable fs = makeTable(kFs, kFsBytes);
    static const PairTable none{};
    switch (prefix) {
    case 0x1B:
        return esc;
    case 0x1D:
        return gs;
    case 0x10:
        return dle;
    case 0x1C:
        return fs;
    default:
        return none;
    }
}

} // namespace

const CommandEntry* CommandTable::single(quint8 byte) {
    switch (byte) {
    case 0x0A:
        return &kSingles[0];
    case 0x0D:
        return &kSingles[1];
    case 0x09:
        return &kSingles[2];
    case 0x0C:
        return &kSingles[3];
    case 0x18:
        return &kSingles[4];
    default:
        return nullptr;
    }
}

bool CommandTable::isPrefix(quint8 byte) {
    return byte == 0x1B || byte == 0x1D || byte == 0x10 || byte == 0x1C;
}

const CommandEntry* CommandTable::pair(quint8 prefix, quint8 second) {
    return tableFor(prefix)[second];
}

int CommandTable::required(const CommandEntry& entry, QByteArrayView frame) {
    if (entry.rule)
        return entry.rule(entry, frame);
    return entry.prefixLength + entry.fixedArguments;
}

} // namespace virt
