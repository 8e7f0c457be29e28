#include "goldenfolder.h"

#include "opos/userfiles.h"
#include "receiptcompare.h"
#include "virtual/capturefolder.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

namespace virt {

namespace {

constexpr qint64 kMaxGoldenBytes = 64 << 20;

QString writePng(const QString& path, const QImage& image) {
    const QByteArray png = receiptPng(image);
    return png.isEmpty() ? QStringLiteral("the image cannot be encoded")
                         : opos::UserFileWriter(path).write(png);
}

} // namespace

QString GoldenFolder::check(const QString& name, const QImage& image, const QList<PaperBand>& bands) {
    const QString golden = QDir(m_goldens).filePath(name);
    if (m_update) {
        if (!QDir().mkpath(m_goldens)) {
            ++m_differences;
            return QStringLiteral("%1: cannot create %2").arg(name, m_goldens);
        }
        const QString problem = writePng(golden, image);
        if (!problem.isEmpty())
            ++m_differences;
        return QStringLiteral("%1: %2").arg(name, problem.isEmpty() ? QStringLiteral("updated") : problem);
    }
    if (!QFileInfo::exists(golden)) {
        ++m_differences;
        return QStringLiteral("%1: no golden in %2").arg(name, m_goldens);
    }
    const opos::ReadFile file = opos::readUserFile(golden, kMaxGoldenBytes);
    QImage expected;
    if (!file.ok() || !expected.loadFromData(file.bytes, "PNG")) {
        ++m_differences;
        return QStringLiteral("%1: golden %2 cannot be read: %3")
            .arg(name, golden, file.ok() ? QStringLiteral("not a PNG image") : file.error);
    }
    const ReceiptComparison comparison = compareReceipts(expected, image);
    const QString diff =
        QDir(m_diffs).filePath(QFileInfo(name).completeBaseName() + QStringLiteral(".diff.png"));
    if (comparison.same()) {
        QFile::remove(diff); // an earlier run's difference is gone
        return QStringLiteral("%1: same").arg(name);
    }
    ++m_differences;
    QString line = QStringLiteral("%1: %2").arg(name, describeDifference(comparison, bands));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    differenceImage(expected, image).save(&buffer, "PNG"); // in colour: not a receipt
    const QString problem = opos::UserFileWriter(diff).write(png);
    line += problem.isEmpty() ? QStringLiteral(" (see %1)").arg(diff)
                              : QStringLiteral(" (%1 cannot be written: %2)").arg(diff, problem);
    return line;
}

QStringList GoldenFolder::unprinted(const QString& stem, const QStringList& printed) {
    QStringList lines;
    const QStringList goldens = QDir(m_goldens).entryList(
        {stem + QStringLiteral("-[0-9][0-9][0-9][0-9].png")}, QDir::Files, QDir::Name);
    for (const QString& name : goldens) {
        if (printed.contains(name))
            continue;
        if (m_update) {
            QFile::remove(QDir(m_goldens).filePath(name));
            lines << QStringLiteral("%1: removed, the job prints no such receipt now").arg(name);
            continue;
        }
        ++m_differences;
        lines << QStringLiteral("%1: in %2 but not printed").arg(name, m_goldens);
    }
    return lines;
}

} // namespace virt
