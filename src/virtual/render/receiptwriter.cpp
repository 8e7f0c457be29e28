#include "receiptwriter.h"

#include "opos/userfiles.h"
#include "virtual/capturefolder.h"

#include <QThread>

namespace virt {

ReceiptWriter::ReceiptWriter(const QDir& out, GoldenFolder* goldens) : m_out(out), m_goldens(goldens) {}

ReceiptWriter::Written ReceiptWriter::write(const QString& name, const Receipt& receipt) const {
    const QByteArray png = receiptPng(receipt.image);
    const QString path = m_out.filePath(name);
    const QString problem =
        png.isEmpty() ? QStringLiteral("the image cannot be encoded") : opos::UserFileWriter(path).write(png);
    if (!problem.isEmpty())
        return {QString(), QStringLiteral("%1: %2").arg(path, problem)};
    if (m_goldens)
        return {m_goldens->check(name, receipt.image, receipt.bands), QString()};
    return {QStringLiteral("%1: %2x%3, %4 lines")
                .arg(name)
                .arg(receipt.image.width())
                .arg(receipt.image.height())
                .arg(receipt.lines.size()),
            QString()};
}

void ReceiptWriter::add(const QString& name, const Receipt& receipt) {
    // One receipt in work per core: the printer takes one, the writers the rest.
    const qsizetype limit = qMax(1, QThread::idealThreadCount());
    while (qsizetype(m_pending.size()) - m_waitFrom >= limit)
        m_done << m_pending[size_t(m_waitFrom++)].get();
    m_pending.push_back(
        std::async(std::launch::async, [this, name, receipt] { return write(name, receipt); }));
}

QStringList ReceiptWriter::finish(QString* problem) {
    while (m_waitFrom < qsizetype(m_pending.size()))
        m_done << m_pending[size_t(m_waitFrom++)].get();
    QStringList lines;
    for (const Written& written : m_done) {
        if (problem && problem->isEmpty() && !written.problem.isEmpty())
            *problem = written.problem;
        if (!written.line.isEmpty())
            lines << written.line;
    }
    m_done.clear();
    m_pending.clear();
    m_waitFrom = 0;
    return lines;
}

} // namespace virt
