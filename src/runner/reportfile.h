#pragma once

#include <QSaveFile>
#include <QString>

#include <functional>

namespace runner {

// The one way a run's report reaches its file. It is opened before the run, so a path that cannot
// be written stops the run before its first step, and it takes the report whole at the end: a
// reader never sees half a report, and an old one stays until the new one is complete.
class ReportFile {
public:
    explicit ReportFile(const QString& path) : m_file(path) {}

    // Empty when the file can be written; else why not.
    QString open();
    // Empty when the report is in its file; else why not.
    QString commit(const std::function<void(QIODevice&)>& writeReport);

private:
    QString problem() const;

    QSaveFile m_file;
};

} // namespace runner
