#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace device {

// The device categories that keep statistics, by their UnifiedPOS names.
enum class StatisticsCategory { PosPrinter, CashDrawer };

QString categoryName(StatisticsCategory category); // "POSPrinter", "CashDrawer"

// The names the controls count under.
namespace statistic {
inline const QString CommunicationErrorCount = QStringLiteral("CommunicationErrorCount");
inline const QString ReceiptLinePrintedCount = QStringLiteral("ReceiptLinePrintedCount");
inline const QString ReceiptCharacterPrintedCount = QStringLiteral("ReceiptCharacterPrintedCount");
inline const QString ReceiptLineFeedCount = QStringLiteral("ReceiptLineFeedCount");
inline const QString PaperCutCount = QStringLiteral("PaperCutCount");
inline const QString BarcodePrintedCount = QStringLiteral("BarcodePrintedCount");
inline const QString PrinterFaultCount = QStringLiteral("PrinterFaultCount");
inline const QString ReceiptCoverOpenCount = QStringLiteral("ReceiptCoverOpenCount");
inline const QString BitmapPrintedCount = QStringLiteral("BitmapPrintedCount"); // ours, no UnifiedPOS name
inline const QString DrawerGoodOpenCount = QStringLiteral("DrawerGoodOpenCount");
inline const QString DrawerFailedOpenCount = QStringLiteral("DrawerFailedOpenCount");
} // namespace statistic

// Who defines a statistic; the request keywords select by it: "U_" the first two, "P_" the
// category's own, "M_" the manufacturer's.
enum class StatisticOrigin { Common, Category, Manufacturer };

struct StatisticDefinition {
    QString name;
    StatisticOrigin origin;
};

// The counters a category's control keeps, in the order they are reported.
const QList<StatisticDefinition>& statisticsOf(StatisticsCategory category);

// The Equipment entries: reported with every retrieval, never reset or updated.
const QStringList& equipmentNames();

// What a name list of RetrieveStatistics or ResetStatistics selects: "" all, "U_", "P_", "M_", or
// names separated by commas, mixed freely. Counters come in catalog order; names that are not
// counters keep the request's order.
struct StatisticsSelection {
    QStringList counters;
    QStringList equipment;
    QStringList unknown;
};

// Nothing when the list is malformed: an empty item, or a name with other characters than
// letters, digits and underscores.
std::optional<StatisticsSelection> selectStatistics(StatisticsCategory category, const QString& request);

} // namespace device
