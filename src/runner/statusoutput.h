#pragma once

#include <QString>
#include <functional>

namespace runner {

// The status list of a run without windows: numbered lines as the main window writes them,
// counting from 0 as it does, handed to a sink (standard output in the program).
class StatusOutput {
public:
    using Sink = std::function<void(const QString& line)>;
    explicit StatusOutput(Sink sink) : m_sink(std::move(sink)) {}

    void add(const QString& pieces) { m_sink(QString::number(m_counter++) + pieces); }
    void note(const QString& text) { m_sink(QStringLiteral("   ") + text); } // under the line before
    void plain(const QString& text) { m_sink(text); }

private:
    Sink m_sink;
    qint32 m_counter = 0;
};

} // namespace runner
