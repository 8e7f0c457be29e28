#include "virtualprofile.h"

#include "codepages.h"

namespace virt {

std::optional<VirtualProfile> VirtualProfile::byId(const QString& id) {
    VirtualProfile profile;
    for (const CodeTable& table : codeTables())
        profile.codePageForEscT.insert(table.escT, table.codePage);
    const QString key = id.trimmed().toLower();
    if (key.isEmpty() || key == QLatin1String("80mm")) {
        profile.id = QStringLiteral("80mm");
        profile.modelName = QStringLiteral("Virtual Printer 80");
        profile.widthDots = 576;
        return profile;
    }
    if (key == QLatin1String("58mm")) {
        profile.id = QStringLiteral("58mm");
        profile.modelName = QStringLiteral("Virtual Printer 58");
        profile.widthDots = 384;
        return profile;
    }
    return std::nullopt;
}

} // namespace virt
