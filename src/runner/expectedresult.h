#pragma once

#include <QString>
#include <optional>

namespace runner {

// The result of a step as `expect` compares it.
struct StepResult {
    qint32 code = 0;
    qint32 extended = 0; // the printer's ResultCodeExtended after the step
    QString text;        // as the status line showed it
};

// What `expect RESULT` accepts: a result code by number or name (OPOS_E_ILLEGAL), an extended
// printer code by name (OPOS_EPTR_COVER_OPEN, meaning OPOS_E_EXTENDED with that code), or the
// text a status line shows for a result.
class ExpectedResult {
public:
    static std::optional<ExpectedResult> read(const QString& word);

    bool matches(const StepResult& result) const;
    const QString& written() const { return m_written; }

private:
    enum class Kind { Code, Extended, Text };
    Kind m_kind = Kind::Code;
    qint32 m_value = 0;
    QString m_written;
};

} // namespace runner
