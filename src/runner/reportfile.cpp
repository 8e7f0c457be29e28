#include "reportfile.h"

#include <QBuffer>

namespace runner {

QString ReportFile::open() {
    const QString reason = m_file.check();
    return reason.isEmpty() ? QString() : problem(reason);
}

QString ReportFile::commit(const std::function<void(QIODevice&)>& writeReport) {
    QBuffer report;
    report.open(QIODevice::WriteOnly);
    writeReport(report);
    const QString reason = m_file.write(report.data());
    return reason.isEmpty() ? QString() : problem(reason);
}

QString ReportFile::problem(const QString& reason) const {
    return QStringLiteral("%1: cannot write the JUnit report: %2").arg(m_file.path(), reason);
}

} // namespace runner
