#include "reportfile.h"

namespace runner {

QString ReportFile::open() {
    return m_file.open(QIODevice::WriteOnly) ? QString() : problem();
}

QString ReportFile::commit(const std::function<void(QIODevice&)>& writeReport) {
    writeReport(m_file);
    return m_file.commit() ? QString() : problem();
}

QString ReportFile::problem() const {
    return QStringLiteral("%1: cannot write the JUnit report: %2")
        .arg(m_file.fileName(), m_file.errorString());
}

} // namespace runner
