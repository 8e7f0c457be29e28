#pragma once

#include <QFile>
#include <QImage>
#include <QObject>
#include <QString>

namespace virt {

// A receipt as PNG at one bit a dot (paper is black and white): small, and quick to write. Empty
// when it cannot be encoded.
QByteArray receiptPng(const QImage& image);

// Keeps what the printer did on disk: receipt-0001.png ... one per cut, and wire.bin with every
// byte received, appended as it arrives. A folder that cannot be written is reported once; the
// printer goes on printing either way.
class CaptureFolder : public QObject {
    Q_OBJECT
public:
    // An empty path captures nothing.
    explicit CaptureFolder(const QString& path, QObject* parent = nullptr);

    bool isActive() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    QString problem() const { return m_problem; }

    void appendWire(const QByteArray& bytes);
    // Saves the next receipt-NNNN.png; returns its path, or nothing after a failure.
    QString saveReceipt(const QImage& image);

Q_SIGNALS:
    void failed(const QString& message);

private:
    bool prepare();
    void fail(const QString& message);

    QString m_path;
    QFile m_wire;
    bool m_prepared = false;
    int m_next = 1;
    QString m_problem;
};

} // namespace virt
