#include "capturefolder.h"

#include "monopng.h"
#include "opos/userfiles.h"

#include <QDir>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcCapture, "posling.virtual.capture")

namespace virt {

QByteArray receiptPng(const QImage& image) {
    const QImage dots = image.format() == QImage::Format_Mono
                            ? image
                            : image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    return monoPng(dots);
}

CaptureFolder::CaptureFolder(const QString& path, QObject* parent) : QObject(parent), m_path(path) {}

bool CaptureFolder::prepare() {
    if (m_prepared)
        return m_problem.isEmpty();
    m_prepared = true;
    if (!QDir().mkpath(m_path)) {
        fail(QStringLiteral("capture folder %1 cannot be created").arg(m_path));
        return false;
    }
    // A folder used before keeps what it holds: numbering goes on after the last receipt and the
    // wire record grows, so no earlier capture is overwritten.
    const QStringList earlier =
        QDir(m_path).entryList({QStringLiteral("receipt-*.png")}, QDir::Files, QDir::Name);
    for (const QString& name : earlier) {
        bool ok = false;
        const int number = name.mid(8, name.size() - 12).toInt(&ok);
        if (ok && number >= m_next)
            m_next = number + 1;
    }
    m_wire.setFileName(QDir(m_path).filePath(QStringLiteral("wire.bin")));
    // The record is appended to whatever it is; a pipe that nobody reads or a folder is refused
    // before it could hold the printer.
    if (const QString problem = opos::UserFileWriter(m_wire.fileName()).check(); !problem.isEmpty()) {
        fail(QStringLiteral("capture file %1 cannot be written: %2").arg(m_wire.fileName(), problem));
        return false;
    }
    if (!m_wire.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        fail(QStringLiteral("capture folder %1 cannot be written: %2").arg(m_path, m_wire.errorString()));
        return false;
    }
    return true;
}

void CaptureFolder::fail(const QString& message) {
    if (!m_problem.isEmpty())
        return;
    m_problem = message;
    qCWarning(lcCapture).noquote() << message;
    Q_EMIT failed(message);
}

void CaptureFolder::appendWire(const QByteArray& bytes) {
    if (!isActive() || bytes.isEmpty() || !prepare() || !m_wire.isOpen())
        return;
    if (m_wire.write(bytes) != bytes.size()) {
        fail(QStringLiteral("capture file %1 cannot be written: %2")
                 .arg(m_wire.fileName(), m_wire.errorString()));
        m_wire.close();
    }
}

QString CaptureFolder::saveReceipt(const QImage& image) {
    if (!isActive() || !prepare())
        return QString();
    const QString file =
        QDir(m_path).filePath(QStringLiteral("receipt-%1.png").arg(m_next, 4, 10, QLatin1Char('0')));
    ++m_next;
    // A long receipt is saved while the program ends: the encoding must be quick.
    const QByteArray png = receiptPng(image);
    const QString problem = !png.isEmpty() ? opos::UserFileWriter(file).write(png)
                                           : QStringLiteral("the image cannot be encoded");
    if (!problem.isEmpty()) {
        fail(QStringLiteral("capture file %1 cannot be written: %2").arg(file, problem));
        return QString();
    }
    return file;
}

} // namespace virt
