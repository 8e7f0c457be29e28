#include "replypersonality.h"

#include <array>

namespace virt {

namespace {

constexpr quint8 kOlderFirmware = quint8(ReplyKind::Realtime) | quint8(ReplyKind::Transmit) |
                                  quint8(ReplyKind::PrinterInfo) | quint8(ReplyKind::Automatic);
constexpr quint8 kAll = kOlderFirmware | quint8(ReplyKind::ProcessId) | quint8(ReplyKind::BufferClear);

const std::array<ReplyPersonality, 4>& personalities() {
    static const std::array<ReplyPersonality, 4> table{{
        {QStringLiteral("all"),
         QStringLiteral("answers every status request, process IDs and the buffer clear included"), kAll},
        {QStringLiteral("gsr"),
         QStringLiteral("answers as older firmware does: all status but process IDs and the buffer clear"),
         kOlderFirmware},
        {QStringLiteral("realtime"),
         QStringLiteral("answers real-time status (DLE EOT) only, as low-cost printers do"),
         quint8(ReplyKind::Realtime)},
        {QStringLiteral("none"),
         QStringLiteral("answers nothing, as a print server or a one-way link does; it prints everything"),
         0},
    }};
    return table;
}

} // namespace

const ReplyPersonality* ReplyPersonality::byId(const QString& id) {
    for (const ReplyPersonality& personality : personalities())
        if (personality.id.compare(id.trimmed(), Qt::CaseInsensitive) == 0)
            return &personality;
    return nullptr;
}

const ReplyPersonality& ReplyPersonality::full() {
    return personalities().front();
}

QStringList ReplyPersonality::knownIds() {
    QStringList ids;
    for (const ReplyPersonality& personality : personalities())
        ids.append(personality.id);
    return ids;
}

} // namespace virt
