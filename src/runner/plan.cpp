#include "plan.h"

#include <algorithm>
#include <optional>

namespace runner {

namespace {

const QStringList kDevices{QStringLiteral("printer"), QStringLiteral("drawer")};

struct Words {
    QStringList words;
    QString error;
};

// Splits a line into words; '=' outside quotes is a word of its own.
Words splitWords(const QString& line) {
    Words out;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'"') {
            inWord = true;
            for (++i;; ++i) {
                if (i >= line.size()) {
                    out.error = QStringLiteral("a quoted word has no closing quote");
                    return out;
                }
                if (line.at(i) == u'"') {
                    if (i + 1 < line.size() && line.at(i + 1) == u'"') {
                        word += u'"';
                        ++i;
                        continue;
                    }
                    break;
                }
                word += line.at(i);
            }
        } else if (c.isSpace() || c == u'=') {
            if (inWord)
                out.words << word;
            word.clear();
            inWord = false;
            if (c == u'=')
                out.words << QStringLiteral("=");
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        out.words << word;
    return out;
}

std::optional<int> positiveMs(const QString& word) {
    bool ok = false;
    const int ms = word.toInt(&ok);
    return ok && ms > 0 ? std::optional<int>(ms) : std::nullopt;
}

QString notMilliseconds(const QString& word) {
    return QStringLiteral("\"%1\" is not a number of milliseconds above 0").arg(word);
}

// One step from its words, or the reason it is not one.
QString readStep(const QStringList& words, PlanStep& step) {
    const QString& first = words.first();
    if (first == u"expect") {
        QStringList rest = words.mid(1);
        if (rest.isEmpty())
            return QStringLiteral("expect needs a result, or a property = value");
        if (!rest.contains(QStringLiteral("="))) {
            if (rest.size() != 1)
                return QStringLiteral("expect takes one result; quote a text with blanks");
            step.kind = PlanStep::Kind::ExpectResult;
            step.arguments = rest;
            return {};
        }
        if (kDevices.contains(rest.first()))
            step.device = rest.takeFirst();
        if (rest.size() != 3 || rest.at(1) != u"=")
            return QStringLiteral("expect PROPERTY = VALUE takes one property and one value");
        step.kind = PlanStep::Kind::ExpectProperty;
        step.name = rest.at(0);
        step.arguments = {rest.at(2)};
        return {};
    }
    if (first == u"wait-event") {
        if (words.size() != 4 || words.at(2) != u"within")
            return QStringLiteral("wait-event PATTERN within MS");
        const std::optional<int> ms = positiveMs(words.at(3));
        if (!ms)
            return notMilliseconds(words.at(3));
        step.kind = PlanStep::Kind::WaitEvent;
        step.name = words.at(1);
        step.withinMs = *ms;
        return {};
    }
    if (first == u"print") {
        if (words.size() != 2)
            return QStringLiteral("print takes one text; quote a text with blanks");
        step.kind = PlanStep::Kind::Print;
        step.device = QStringLiteral("printer");
        step.arguments = {words.at(1)};
        return {};
    }
    if (first == u"ask") {
        if (words.size() != 2 && (words.size() != 4 || words.at(2) != u"within"))
            return QStringLiteral("ask \"TEXT\" [within MS]; quote a text with blanks");
        const std::optional<int> ms = words.size() == 4 ? positiveMs(words.at(3)) : DefaultAskMs;
        if (!ms)
            return notMilliseconds(words.at(3));
        step.kind = PlanStep::Kind::Ask;
        step.arguments = {words.at(1)};
        step.withinMs = *ms;
        return {};
    }
    if (first == u"show") {
        if (words.size() != 2 || words.at(1) != u"virtual-printer")
            return QStringLiteral("show takes one window: virtual-printer");
        step.kind = PlanStep::Kind::ShowPrinter;
        return {};
    }
    if (!kDevices.contains(first))
        return QStringLiteral("\"%1\" is no step: a step starts with printer, drawer, expect, wait-event, "
                              "print, ask or show")
            .arg(first);
    if (words.size() < 2 || words.at(1) == u"=")
        return QStringLiteral("%1 needs a method or a property").arg(first);
    step.device = first;
    step.name = words.at(1);
    if (words.contains(QStringLiteral("="))) {
        if (words.size() != 4 || words.at(2) != u"=")
            return QStringLiteral("a property set is: %1 PROPERTY = VALUE").arg(first);
        step.kind = PlanStep::Kind::Set;
        step.arguments = {words.at(3)};
        return {};
    }
    step.kind = PlanStep::Kind::Call;
    step.arguments = words.mid(2);
    return {};
}

} // namespace

QString Plan::errorText(const PlanError& error) const {
    if (error.line == 0)
        return QStringLiteral("%1: %2").arg(file, error.reason);
    return QStringLiteral("%1:%2: %3").arg(file).arg(error.line).arg(error.reason);
}

void Plan::addErrors(const QList<PlanError>& more) {
    errors += more;
    std::stable_sort(errors.begin(), errors.end(),
                     [](const PlanError& a, const PlanError& b) { return a.line < b.line; });
}

bool Plan::brokenBetween(int afterLine, int beforeLine) const {
    return std::any_of(errors.cbegin(), errors.cend(), [&](const PlanError& error) {
        return error.line > afterLine && error.line < beforeLine;
    });
}

Plan readPlan(const QString& file, const QString& text) {
    Plan plan;
    plan.file = file;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        const Words words = splitWords(trimmed);
        PlanStep step;
        step.line = int(i + 1);
        step.source = trimmed;
        const QString error = words.error.isEmpty() ? readStep(words.words, step) : words.error;
        if (error.isEmpty())
            plan.steps << step;
        else
            plan.errors << PlanError{step.line, trimmed, error};
    }
    if (plan.steps.isEmpty() && plan.errors.isEmpty())
        plan.errors << PlanError{
            0, {}, QStringLiteral("the plan has no step: a run of it would check nothing")};
    return plan;
}

} // namespace runner
