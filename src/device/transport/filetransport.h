#pragma once

#include "device/transport/transport.h"

#include <QSocketNotifier>

#include <memory>

namespace device {

// A printer behind a device file ("file:/dev/usb/lp0"): opened non-blocking and locked
// exclusively (flock), so a second program gets "busy"; replies are read when the file signals
// data, writes that the device cannot take at once wait for it to be writable.
class FileTransport : public Transport {
    Q_OBJECT
public:
    explicit FileTransport(const QString& path, QObject* parent = nullptr);
    ~FileTransport() override;

    void open() override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }
    void write(const QByteArray& bytes) override;
    QString describe() const override { return QStringLiteral("file:") + m_path; }

private:
    void finishOpen(OpenStatus status, const QString& reason);
    void onReadable();
    void flush();
    void lose(const QString& reason);

    QString m_path;
    int m_fd = -1;
    QByteArray m_pending;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
};

} // namespace device
