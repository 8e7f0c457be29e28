#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace virt {

// Every command the virtual printer understands. The interpreter frames them; the session runs them.
enum class Cmd {
    LineFeed,
    CarriageReturn,
    Tab,
    FormFeed,
    Cancel,
    // ESC
    RightSpacing,
    PrintMode,
    AbsolutePosition,
    UserCharacterSet,
    DefineUserCharacters,
    BitImage,
    Underline,
    DefaultLineSpacing,
    LineSpacing,
    SelectPeripheral,
    CancelUserCharacter,
    Initialise,
    TabStops,
    Emphasis,
    DoubleStrike,
    FeedDots,
    PageMode,
    Font,
    InternationalSet,
    StandardMode,
    PageDirection,
    Rotate90,
    PageArea,
    RelativePosition,
    Justify,
    PanelSensors,
    StopSensors,
    PanelButtons,
    FeedLines,
    ReverseFeed,
    DrawerKick,
    CodeTable,
    UpsideDown,
    PrintPage,
    // GS
    CharacterSize,
    PageVerticalPosition,
    GraphicsFunction,
    DownloadBitImage,
    PrintDownloadedImage,
    GraphicsFunctionLong,
    ReverseMode,
    HriPosition,
    PrinterId,
    LeftMargin,
    MotionUnits,
    Cut,
    PrintAreaWidth,
    PageRelativeVertical,
    AutomaticStatus,
    Smoothing,
    HriFont,
    BarHeight,
    Barcode,
    TransmitStatus,
    RasterImage,
    ModuleWidth,
    MacroDefinition,
    MacroExecute,
    // DLE
    RealtimeStatus,
    RealtimeRequest,
    RealtimeCommand,
    // FS
    KanjiMode,
    KanjiOn,
    KanjiOff,
    KanjiUnderline,
    PrintNvImage,
    DefineNvImages,
    // Old and rare commands that are acted on
    ImmediateCut,     // ESC i, ESC m
    PeripheralStatus, // ESC u n: drawer pin, as GS r 2
    PaperStatus,      // ESC v: paper sensors, as GS r 1
    // A command of the printer's repertoire the virtual printer takes at its length and does not act on
    Ignored,
};

struct CommandEntry;
// How many bytes the frame being collected needs in all: a positive total, kNeedMore when the
// next byte decides, or kRefuse for a frame whose declared size or content is not acceptable.
using LengthRule = int (*)(const CommandEntry& entry, QByteArrayView frame);
constexpr int kNeedMore = 0;
constexpr int kRefuse = -1;

struct CommandEntry {
    Cmd id;
    const char* mnemonic; // "GS V"
    const char* meaning;  // "cut"
    int prefixLength;     // bytes that select the command (1 or 2)
    int fixedArguments;   // for commands without a rule
    LengthRule rule;      // null: prefixLength + fixedArguments
};

// Largest block of data a command may declare (raster, graphics, 2D data); larger is refused.
constexpr int kMaxCommandData = 1 << 20;

namespace CommandTable {
// A one-byte command (LF, CR, HT, FF, CAN), or null.
const CommandEntry* single(quint8 byte);
// True for the bytes that open two-byte commands: ESC, GS, DLE, FS.
bool isPrefix(quint8 byte);
// The command a prefix byte and the byte after it select, or null when the pair is unknown.
const CommandEntry* pair(quint8 prefix, quint8 second);
// The total length the frame needs, or kNeedMore / kRefuse.
int required(const CommandEntry& entry, QByteArrayView frame);
} // namespace CommandTable

} // namespace virt
