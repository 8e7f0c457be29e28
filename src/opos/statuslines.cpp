#include "statuslines.h"

#include "oposconstants.h"
#include "resulttexts.h"

namespace opos {

QString resultDescription(qint32 code, qint32 printerExtended) {
    if (code != OPOS_E_EXTENDED)
        return resultCodeText(code);
    return QLatin1String(ExtendedPrefix) + extendedPrinterText(printerExtended);
}

QString resultLabel(const QString& device, const QString& name) {
    return QStringLiteral(":  Result of %1.%2:  ").arg(device, name);
}

QString propertySetLine(const QString& name, const QString& value, const QString& description) {
    return QStringLiteral(":  ") + name + QStringLiteral(" = ") + value + QStringLiteral(" :  ") +
           description;
}

QString boolText(bool value) {
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

QString errorEventLine(qint32 resultCode, qint32 resultCodeExtended, qint32 errorLocus, qint32 response,
                       qint32 printerExtended) {
    const QString extended = resultCode == OPOS_E_EXTENDED
                                 ? QString::number(resultCodeExtended) + QStringLiteral(": ") +
                                       extendedPrinterText(printerExtended)
                                 : QString();
    return QStringLiteral(":  ErrorEvent: ") + QString::number(resultCode) + QStringLiteral(": ") +
           resultDescription(resultCode, printerExtended) + QStringLiteral(": ") + extended +
           QStringLiteral("; ") + QString::number(errorLocus) + QStringLiteral(": ") +
           errorLocusText(errorLocus) + QStringLiteral("; ") + QString::number(response) +
           QStringLiteral(": ") + errorResponseText(response);
}

QString printerStatusUpdateLine(qint32 data) {
    return QStringLiteral("-StatusUpdateEvent: ") + QString::number(data) + QStringLiteral(": ") +
           statusUpdateText(data);
}

QString drawerStatusUpdateLine(qint32 data) {
    const QString text = data == CASH_SUE_DRAWERCLOSED ? QStringLiteral("Drawer 1 is Closed")
                                                       : QStringLiteral("Drawer 1 is Open");
    return QStringLiteral("-StatusUpdateEvent: ") + QString::number(data) + QStringLiteral(" : ") + text;
}

QString outputCompleteLine(qint32 outputId) {
    return QStringLiteral(": Output Event Complete. ID: ") + QString::number(outputId);
}

StatusLine statusLine(qint32 counter, const QString& pieces) {
    return {QString::number(counter) + pieces, {}};
}

StatusLine resultLine(qint32 counter, const QString& pieces, qint32 code, const QString& reason) {
    StatusLine line = statusLine(counter, pieces);
    if (!reason.isEmpty())
        line.note = code == OPOS_SUCCESS ? reason : QStringLiteral("Reason: ") + reason;
    return line;
}

} // namespace opos
