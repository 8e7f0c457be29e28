#include "resultadvice.h"

#include <QHash>
#include <QRegularExpression>

namespace opos {

namespace {

struct Advice {
    int rank; // higher is more specific
    const char* text;
};

const QHash<QString, Advice>& adviceTable() {
    enum Rank { UnknownSue = 1, UnknownError, StatusUpdate, Result, Extended };
    static const QHash<QString, Advice> table = {
        {QStringLiteral("OPOS_SUCCESS"), {Result, "The device did what was asked: go on with the next step"}},
        {QStringLiteral("OPOS_E_CLOSED"), {Result, "The device is not open: open it first"}},
        {QStringLiteral("OPOS_E_CLAIMED"),
         {Result, "Another application holds the device: have it released there, then claim again"}},
        {QStringLiteral("OPOS_E_NOTCLAIMED"), {Result, "Claim the device before enabling it"}},
        {QStringLiteral("OPOS_E_NOSERVICE"),
         {Result, "The control cannot reach the device's service: check the device configuration"}},
        {QStringLiteral("OPOS_E_DISABLED"), {Result, "The device is disabled: enable it first"}},
        {QStringLiteral("OPOS_E_ILLEGAL"),
         {Result, "The call or an argument is not allowed now: check the arguments and the capabilities"}},
        {QStringLiteral("OPOS_E_NOHARDWARE"),
         {Result, "The device does not answer: check that it is connected and switched on"}},
        {QStringLiteral("OPOS_E_OFFLINE"),
         {Result, "The device is off line: check its cover, paper and power"}},
        {QStringLiteral("OPOS_E_NOEXIST"),
         {Result, "The named device, file or item does not exist: check the name"}},
        {QStringLiteral("OPOS_E_EXISTS"), {Result, "The item already exists: use another name or number"}},
        {QStringLiteral("OPOS_E_FAILURE"),
         {Result, "The device could not carry out the request: check the device and try again"}},
        {QStringLiteral("OPOS_E_TIMEOUT"),
         {Result, "The device did not answer in time: check the connection or allow a longer time-out"}},
        {QStringLiteral("OPOS_E_BUSY"),
         {Result, "The device is still busy with earlier output: wait and try again"}},
        {QStringLiteral("OPOS_E_EXTENDED"),
         {Result, "The device reported a device-specific error: look at the extended code"}},
        {QStringLiteral("OPOS_EPTR_COVER_OPEN"), {Extended, "The printer cover is open: close it"}},
        {QStringLiteral("OPOS_EPTR_JRN_EMPTY"), {Extended, "The journal paper is out: load paper"}},
        {QStringLiteral("OPOS_EPTR_REC_EMPTY"), {Extended, "The receipt paper is out: load paper"}},
        {QStringLiteral("OPOS_EPTR_SLP_EMPTY"), {Extended, "No slip form is inserted: insert one"}},
        {QStringLiteral("OPOS_EPTR_SLP_FORM"), {Extended, "A slip form is still inserted: remove it"}},
        {QStringLiteral("OPOS_EPTR_TOOBIG"),
         {Extended, "The bitmap is too big for the station: use a smaller one"}},
        {QStringLiteral("OPOS_EPTR_BAD_FORMAT"),
         {Extended, "The bitmap file has a format the printer cannot use: save it as a plain bitmap"}},
        {QStringLiteral("OPOS_EMICR_NOCHECK"), {Extended, "No cheque is inserted: insert one"}},
        {QStringLiteral("OPOS_EMICR_CHECK"), {Extended, "A cheque is still inserted: remove it"}},
        {QStringLiteral("PTR_SUE_COVER_OPEN"),
         {StatusUpdate, "The printer cover was opened: close it to print"}},
        {QStringLiteral("PTR_SUE_COVER_OK"),
         {StatusUpdate, "The printer cover was closed: printing can go on"}},
        {QStringLiteral("PTR_SUE_JRN_EMPTY"), {StatusUpdate, "The journal paper ran out: load paper"}},
        {QStringLiteral("PTR_SUE_JRN_NEAREMPTY"),
         {StatusUpdate, "The journal paper is nearly out: have a new roll ready"}},
        {QStringLiteral("PTR_SUE_JRN_PAPEROK"),
         {StatusUpdate, "The journal has paper again: printing can go on"}},
        {QStringLiteral("PTR_SUE_REC_EMPTY"), {StatusUpdate, "The receipt paper ran out: load paper"}},
        {QStringLiteral("PTR_SUE_REC_NEAREMPTY"),
         {StatusUpdate, "The receipt paper is nearly out: have a new roll ready"}},
        {QStringLiteral("PTR_SUE_REC_PAPEROK"),
         {StatusUpdate, "The receipt has paper again: printing can go on"}},
        {QStringLiteral("PTR_SUE_SLP_EMPTY"), {StatusUpdate, "No slip form is inserted: insert one"}},
        {QStringLiteral("PTR_SUE_SLP_NEAREMPTY"), {StatusUpdate, "The slip form is nearly at its end"}},
        {QStringLiteral("PTR_SUE_SLP_PAPEROK"),
         {StatusUpdate, "A slip form is in place: printing can go on"}},
        {QStringLiteral("PTR_SUE_IDLE"), {StatusUpdate, "All output has been printed: the printer is idle"}},
        {QStringLiteral("Unknown Error"),
         {UnknownError, "This is not a standard result code: look it up in the device's documentation"}},
        {QStringLiteral("Unknown SUE"),
         {UnknownSue, "This is not a standard printer status: look it up in the device's documentation"}},
    };
    return table;
}

// Drops the part of a line between its first and last double quote: typed text shown in a line
// must not be taken for a code.
QString withoutQuotedText(const QString& line) {
    const qsizetype first = line.indexOf(u'"');
    const qsizetype last = line.lastIndexOf(u'"');
    if (first < 0 || last <= first)
        return line;
    return line.left(first) + line.mid(last + 1);
}

// An Open or Claim of the printer that fails so mostly has its cause on this machine (no device, no
// rights to it, another program holding it), which the device check names.
bool printerUnreachable(const QString& line, const QString& code) {
    static const QRegularExpression openOrClaim(QStringLiteral("\\bPrinter\\.(Open|Claim)\\b"));
    return (code == QLatin1String("OPOS_E_NOHARDWARE") || code == QLatin1String("OPOS_E_TIMEOUT") ||
            code == QLatin1String("OPOS_E_NOEXIST")) &&
           openOrClaim.match(line).hasMatch();
}

} // namespace

QString resultAdvice(const QString& statusLine) {
    static const QRegularExpression codeName(
        QStringLiteral("\\b(OPOS_[A-Z0-9_]+|PTR_SUE_[A-Z_]+|Unknown Error|Unknown SUE)\\b"));
    const QHash<QString, Advice>& table = adviceTable();
    const QString line = withoutQuotedText(statusLine);
    QHash<QString, Advice>::const_iterator best = table.constEnd();
    auto matches = codeName.globalMatch(line);
    while (matches.hasNext()) {
        const auto it = table.constFind(matches.next().captured(1));
        if (it != table.constEnd() && (best == table.constEnd() || it->rank > best->rank))
            best = it;
    }
    if (best == table.constEnd())
        return {};
    const QString advice = QString::fromUtf8(best->text);
    if (!printerUnreachable(line, best.key()))
        return advice;
    return advice +
           QStringLiteral(". Run posling --check-devices in a terminal to see why. "
                          "Permission denied: join the lp group (USB) or dialout (serial), then log in "
                          "again. Busy: close the program it names.");
}

} // namespace opos
