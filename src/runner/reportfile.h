#pragma once

#include "opos/userfiles.h"

#include <QIODevice>
#include <QString>

#include <functional>

namespace runner {

// The one way a run's report reaches its file. It is checked before the run, so a path that cannot
// be written stops the run before its first step, and it takes the report whole at the end: a
// reader never sees half a report, and an old one stays until the new one is complete. A device or
// pipe (/dev/null, /dev/stdout) takes the report as it is; nothing replaces it with a file.
class ReportFile {
public:
    explicit ReportFile(const QString& path) : m_file(path) {}

    // Empty when the file can be written; else why not.
    QString open();
    // Empty when the report is in its file; else why not.
    QString commit(const std::function<void(QIODevice&)>& writeReport);

private:
    QString problem(const QString& reason) const;

    opos::UserFileWriter m_file;
};

} // namespace runner
