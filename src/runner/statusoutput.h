#pragma once

#include "opos/statuslines.h"

#include <QString>
#include <functional>

namespace runner {

// The status list of a run without windows: numbered lines as the main window writes them,
// counting from 0 as it does, handed to a sink (standard output in the program).
class StatusOutput {
public:
    using Sink = std::function<void(const QString& line)>;
    explicit StatusOutput(Sink sink) : m_sink(std::move(sink)) {}

    void add(const QString& pieces) { add(opos::statusLine(m_counter++, pieces)); }
    // A call's result, with the reason its control gave for a failure on the line below.
    void addResult(const QString& pieces, qint32 code, const QString& reason) {
        add(opos::resultLine(m_counter++, pieces, code, reason));
    }
    void plain(const QString& text) { m_sink(text); }

private:
    void add(const opos::StatusLine& line) {
        m_sink(line.text);
        if (!line.note.isEmpty())
            m_sink(QStringLiteral("   ") + line.note);
    }

    Sink m_sink;
    qint32 m_counter = 0;
};

} // namespace runner
