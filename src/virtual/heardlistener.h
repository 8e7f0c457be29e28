#pragma once

#include "paperbands.h"

#include <QByteArray>

namespace virt {

struct CommandEntry;

// One piece of a link's stream as the printer took it, in the order it was run.
struct HeardItem {
    enum class Kind {
        Text,      // one printable byte
        Command,   // a command acted on (or, for real-time ones, acted on when it arrived)
        Ignored,   // a command of the repertoire taken at its length and not acted on
        Unknown,   // bytes that are no command
        Refused,   // a command whose header declared what cannot be
        Truncated, // a command the stream ended inside
        Cleared,   // bytes the receive buffer dropped on a buffer clear, never run
    };
    Kind kind;
    ByteSpan bytes;
    QByteArray frame;                    // the bytes themselves; empty for Cleared
    const CommandEntry* entry = nullptr; // for Command and Ignored
};

// Hears every piece of every link's stream; a printer has none unless a tool asks.
class HeardListener {
public:
    virtual ~HeardListener() = default;
    virtual void heard(const HeardItem& item) = 0;
};

} // namespace virt
