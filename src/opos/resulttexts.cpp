#include "resulttexts.h"

namespace opos {

namespace {

const QString unknownError = QStringLiteral("Unknown Error");

} // namespace

QString resultCodeText(qint32 code) {
    static const char* const names[] = {
        "OPOS_E_CLOSED",  "OPOS_E_CLAIMED",    "OPOS_E_NOTCLAIMED", "OPOS_E_NOSERVICE", "OPOS_E_DISABLED",
        "OPOS_E_ILLEGAL", "OPOS_E_NOHARDWARE", "OPOS_E_OFFLINE",    "OPOS_E_NOEXIST",   "OPOS_E_EXISTS",
        "OPOS_E_FAILURE", "OPOS_E_TIMEOUT",    "OPOS_E_BUSY"};
    if (code == 0)
        return QStringLiteral("OPOS_SUCCESS");
    if (code >= 101 && code <= 113)
        return QString::fromLatin1(names[code - 101]);
    return unknownError;
}

QString extendedPrinterText(qint32 code) {
    static const char* const names[] = {"OPOS_EPTR_COVER_OPEN", "OPOS_EPTR_JRN_EMPTY", "OPOS_EPTR_REC_EMPTY",
                                        "OPOS_EPTR_SLP_EMPTY",  "OPOS_EPTR_SLP_FORM",  "OPOS_EPTR_TOOBIG",
                                        "OPOS_EPTR_BAD_FORMAT"};
    if (code >= 201 && code <= 207)
        return QString::fromLatin1(names[code - 201]);
    return unknownError;
}

QString extendedMicrText(qint32 code) {
    switch (code) {
    case 201:
        return QStringLiteral("OPOS_EMICR_NOCHECK");
    case 202:
        return QStringLiteral("OPOS_EMICR_CHECK");
    default:
        return unknownError;
    }
}

QString statusUpdateText(qint32 code) {
    switch (code) {
    case 11:
        return QStringLiteral("PTR_SUE_COVER_OPEN");
    case 12:
        return QStringLiteral("PTR_SUE_COVER_OK");
    case 21:
        return QStringLiteral("PTR_SUE_JRN_EMPTY");
    case 22:
        return QStringLiteral("PTR_SUE_JRN_NEAREMPTY");
    case 23:
        return QStringLiteral("PTR_SUE_JRN_PAPEROK");
    case 24:
        return QStringLiteral("PTR_SUE_REC_EMPTY");
    case 25:
        return QStringLiteral("PTR_SUE_REC_NEAREMPTY");
    case 26:
        return QStringLiteral("PTR_SUE_REC_PAPEROK");
    case 27:
        return QStringLiteral("PTR_SUE_SLP_EMPTY");
    case 28:
        return QStringLiteral("PTR_SUE_SLP_NEAREMPTY");
    case 29:
        return QStringLiteral("PTR_SUE_SLP_PAPEROK");
    case 1001:
        return QStringLiteral("PTR_SUE_IDLE");
    default:
        return QStringLiteral("Unknown SUE");
    }
}

QString errorLocusText(qint32 locus) {
    switch (locus) {
    case 1:
        return QStringLiteral("OPOS_EL_OUTPUT");
    case 2:
        return QStringLiteral("OPOS_EL_INPUT");
    case 3:
        return QStringLiteral("OPOS_EL_INPUT_DATA");
    default:
        return QStringLiteral("Unknown ErrorLocus");
    }
}

QString errorResponseText(qint32 response) {
    switch (response) {
    case 11:
        return QStringLiteral("OPOS_ER_RETRY");
    case 12:
        return QStringLiteral("OPOS_ER_CLEAR");
    case 13:
        return QStringLiteral("OPOS_ER_CONTINUEINPUT");
    default:
        return QStringLiteral("pErrorResponse incorrect or unavailable");
    }
}

} // namespace opos
