#include "expectedresult.h"

#include "opos/constantnames.h"
#include "opos/oposconstants.h"
#include "opos/statuslines.h"

namespace runner {

namespace {

bool isKnownResultText(const QString& text) {
    for (qint32 code = opos::OPOS_SUCCESS; code <= opos::OPOS_E_EXTENDED; ++code)
        if (opos::resultDescription(code, 0) == text)
            return true;
    for (qint32 extended = opos::OPOS_EPTR_COVER_OPEN; extended <= opos::OPOS_EPTR_BADFORMAT; ++extended)
        if (opos::resultDescription(opos::OPOS_E_EXTENDED, extended) == text)
            return true;
    return false;
}

} // namespace

std::optional<ExpectedResult> ExpectedResult::read(const QString& word) {
    ExpectedResult expected;
    expected.m_written = word;
    bool isNumber = false;
    expected.m_value = word.toInt(&isNumber, 10);
    if (isNumber)
        return expected;
    const bool resultName = word.startsWith(QStringLiteral("OPOS_E_"), Qt::CaseInsensitive) ||
                            word.compare(QStringLiteral("OPOS_SUCCESS"), Qt::CaseInsensitive) == 0;
    const bool extendedName = word.startsWith(QStringLiteral("OPOS_EPTR_"), Qt::CaseInsensitive);
    if (const std::optional<qint32> value = opos::constantValue(word);
        value && (resultName || extendedName)) {
        expected.m_kind = extendedName ? Kind::Extended : Kind::Code;
        expected.m_value = *value;
        return expected;
    }
    if (!isKnownResultText(word))
        return std::nullopt;
    expected.m_kind = Kind::Text;
    return expected;
}

bool ExpectedResult::matches(const StepResult& result) const {
    switch (m_kind) {
    case Kind::Code:
        return result.code == m_value;
    case Kind::Extended:
        return result.code == opos::OPOS_E_EXTENDED && result.extended == m_value;
    case Kind::Text:
        return result.text == m_written;
    }
    return false;
}

} // namespace runner
