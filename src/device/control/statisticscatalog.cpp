#include "device/control/statisticscatalog.h"

#include <QRegularExpression>

#include <algorithm>

namespace device {

QString categoryName(StatisticsCategory category) {
    return category == StatisticsCategory::PosPrinter ? QStringLiteral("POSPrinter")
                                                      : QStringLiteral("CashDrawer");
}

const QList<StatisticDefinition>& statisticsOf(StatisticsCategory category) {
    using enum StatisticOrigin;
    // HoursPoweredCount is left out: the control only sees the printer while it is open, so any
    // number of hours it reported would be made up.
    static const QList<StatisticDefinition> printer{
        {statistic::CommunicationErrorCount, Common},
        {statistic::ReceiptLinePrintedCount, Category},
        {statistic::ReceiptCharacterPrintedCount, Category},
        {statistic::ReceiptLineFeedCount, Category},
        {statistic::PaperCutCount, Category},
        {statistic::BarcodePrintedCount, Category},
        {statistic::PrinterFaultCount, Category},
        {statistic::ReceiptCoverOpenCount, Category},
        {statistic::BitmapPrintedCount, Manufacturer},
    };
    static const QList<StatisticDefinition> drawer{
        {statistic::CommunicationErrorCount, Common},
        {statistic::DrawerGoodOpenCount, Category},
        {statistic::DrawerFailedOpenCount, Category},
    };
    return category == StatisticsCategory::PosPrinter ? printer : drawer;
}

const QStringList& equipmentNames() {
    static const QStringList names{
        QStringLiteral("UnifiedPOSVersion"),  QStringLiteral("DeviceCategory"),
        QStringLiteral("ManufacturerName"),   QStringLiteral("ModelName"),
        QStringLiteral("SerialNumber"),       QStringLiteral("ManufactureDate"),
        QStringLiteral("MechanicalRevision"), QStringLiteral("FirmwareRevision"),
        QStringLiteral("Interface"),          QStringLiteral("InstallationDate"),
    };
    return names;
}

namespace {

// The origins a keyword stands for; nothing when the item is a plain name.
std::optional<QList<StatisticOrigin>> originsOfKeyword(const QString& item) {
    using enum StatisticOrigin;
    if (item.isEmpty())
        return QList<StatisticOrigin>{Common, Category, Manufacturer};
    if (item == QLatin1String("U_"))
        return QList<StatisticOrigin>{Common, Category};
    if (item == QLatin1String("P_"))
        return QList<StatisticOrigin>{Category};
    if (item == QLatin1String("M_"))
        return QList<StatisticOrigin>{Manufacturer};
    return std::nullopt;
}

} // namespace

std::optional<StatisticsSelection> selectStatistics(StatisticsCategory category, const QString& request) {
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9_]+$"));
    const QList<StatisticDefinition>& catalog = statisticsOf(category);
    QList<StatisticOrigin> origins;
    QStringList named;
    StatisticsSelection selection;
    // The whole request may be empty (all); an item of a list may not.
    const QStringList items = request.isEmpty() ? QStringList{QString()} : request.split(QLatin1Char(','));
    for (const QString& raw : items) {
        const QString item = raw.trimmed();
        if (item.isEmpty() && items.size() > 1)
            return std::nullopt;
        if (const auto keyword = originsOfKeyword(item)) {
            origins += *keyword;
            continue;
        }
        if (!name.match(item).hasMatch())
            return std::nullopt;
        const bool counter = std::any_of(catalog.cbegin(), catalog.cend(),
                                         [&](const StatisticDefinition& d) { return d.name == item; });
        if (counter)
            named += item;
        else if (equipmentNames().contains(item) && !selection.equipment.contains(item))
            selection.equipment += item;
        else if (!equipmentNames().contains(item) && !selection.unknown.contains(item))
            selection.unknown += item;
    }
    for (const StatisticDefinition& definition : catalog)
        if (origins.contains(definition.origin) || named.contains(definition.name))
            selection.counters += definition.name;
    return selection;
}

} // namespace device
