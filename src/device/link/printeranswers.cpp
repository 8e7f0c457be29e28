#include "device/link/printeranswers.h"

#include <QStringList>

namespace device {

namespace {

struct LevelWord {
    StatusLevel level;
    const char* word;
};
constexpr LevelWord kLevelWords[] = {{StatusLevel::None, "none"},
                                     {StatusLevel::RealTime, "realtime"},
                                     {StatusLevel::InOrder, "gsr"},
                                     {StatusLevel::ProcessIds, "all"}};

} // namespace

bool parseStatusLevel(const QString& word, std::optional<StatusLevel>* level) {
    const QString w = word.trimmed().toLower();
    if (w.isEmpty() || w == QLatin1String("auto")) {
        level->reset();
        return true;
    }
    for (const LevelWord& entry : kLevelWords)
        if (w == QLatin1String(entry.word)) {
            *level = entry.level;
            return true;
        }
    return false;
}

QString statusLevelWord(StatusLevel level) {
    for (const LevelWord& entry : kLevelWords)
        if (entry.level == level)
            return QLatin1String(entry.word);
    return {};
}

QString shownDeviceText(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || (c.unicode() >= 0x80 && c.unicode() < 0xA0))
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

QString shownDeviceText(const QByteArray& bytes) {
    return shownDeviceText(QString::fromLatin1(bytes));
}

QString PrinterIdentity::text() const {
    QStringList details;
    if (!maker.isEmpty())
        details << QStringLiteral("maker \"%1\"").arg(maker);
    if (!firmware.isEmpty())
        details << QStringLiteral("firmware %1").arg(firmware);
    if (!serial.isEmpty())
        details << QStringLiteral("serial %1").arg(serial);
    const QString name =
        model.isEmpty() ? QStringLiteral("a printer of no model name") : QStringLiteral("\"%1\"").arg(model);
    if (isEmpty())
        return {};
    return details.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, details.join(QStringLiteral(", ")));
}

PrinterAnswers PrinterAnswers::atLevel(StatusLevel level) {
    PrinterAnswers answers;
    answers.realTime = level >= StatusLevel::RealTime;
    answers.inOrder = level >= StatusLevel::InOrder;
    answers.processIds = level >= StatusLevel::ProcessIds;
    answers.configured = level;
    return answers;
}

StatusLevel PrinterAnswers::level() const {
    if (configured)
        return *configured;
    if (!realTime)
        return StatusLevel::None;
    if (!inOrder)
        return StatusLevel::RealTime;
    return processIds ? StatusLevel::ProcessIds : StatusLevel::InOrder;
}

QString PrinterAnswers::advice() const {
    const QString set = configured ? QStringLiteral(" (as its entry's status says)") : QString();
    switch (level()) {
    case StatusLevel::ProcessIds:
        return {};
    case StatusLevel::InOrder:
        return QStringLiteral(
                   "This printer answers status in order but no process IDs%1: Posling sees paper, "
                   "cover and when each receipt has printed, but cannot clear what the printer "
                   "holds.")
            .arg(set);
    case StatusLevel::RealTime:
        return QStringLiteral(
                   "This printer answers real-time status only%1: Posling sees paper and cover, not "
                   "when a receipt has printed, and cannot clear what the printer holds.")
            .arg(set);
    case StatusLevel::None:
        break;
    }
    if (configured)
        return QStringLiteral("This printer is set to answer nothing (status=none): Posling prints blind, "
                              "without paper, cover or drawer sensors.");
    return QStringLiteral("This printer answers nothing: either it cannot, or another program holds it. "
                          "Posling prints blind, without paper, cover or drawer sensors.");
}

QString PrinterAnswers::summary() const {
    if (configured)
        return QStringLiteral("status=%1 in its entry").arg(statusLevelWord(*configured));
    QStringList replies;
    if (realTime)
        replies << QStringLiteral("real-time status");
    if (inOrder)
        replies << QStringLiteral("GS r");
    if (processIds)
        replies << QStringLiteral("process IDs");
    if (automatic)
        replies << QStringLiteral("automatic status");
    if (!identity.isEmpty())
        replies << QStringLiteral("GS I");
    return replies.isEmpty() ? QStringLiteral("nothing") : replies.join(QStringLiteral(", "));
}

} // namespace device
