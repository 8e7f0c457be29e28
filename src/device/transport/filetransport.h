#pragma once

#include "device/transport/transport.h"

#include <QMap>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <memory>

namespace device {

// Bounds the output a device file holds back. A printer whose buffer stays full, or a line whose
// far side stopped reading, would otherwise keep our bytes, growing, for ever: once bytes have
// waited for the link's reply time-out ("timeout" of the registry entry) without the device taking
// any of them, or more than kMaxWaitingBytes wait, the device counts as gone.
class WriteStallWatch {
public:
    static constexpr qsizetype kMaxWaitingBytes = 1024 * 1024;
    static constexpr int kDefaultLimitMs = 3000; // the registry's default reply time-out

    WriteStallWatch(const QMap<QString, QString>& options, std::function<void()> stalled);
    // After each attempt to write: whether the device took any bytes, and how many still wait.
    void update(bool progressed, qsizetype waiting);
    void stop() { m_timer.stop(); }

private:
    std::function<void()> m_stalled;
    QTimer m_timer;
};

// Takes the exclusive lock (flock) every program opening the device file sees: Busy when another
// one holds it, and fd is closed unless the lock is taken.
Transport::OpenStatus lockDeviceFile(int fd, const QString& path, QString* reason);

// A printer behind a device file ("file:/dev/usb/lp0"): opened non-blocking and locked
// exclusively (flock), so a second program gets "busy"; replies are read when the file signals
// data, writes that the device cannot take at once wait for it to be writable, within the bounds
// of a WriteStallWatch.
class FileTransport : public Transport {
    Q_OBJECT
public:
    explicit FileTransport(const QString& path, const QMap<QString, QString>& options = {},
                           QObject* parent = nullptr);
    ~FileTransport() override;

    void open() override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }
    void write(const QByteArray& bytes) override;
    QString describe() const override { return QStringLiteral("file:") + m_path; }
    qint64 bytesToWrite() const override { return m_pending.size(); }

private:
    void finishOpen(OpenStatus status, const QString& reason);
    void onReadable();
    void flush();
    void lose(const QString& reason);

    QString m_path;
    int m_fd = -1;
    bool m_terminal = false;
    QByteArray m_pending;
    WriteStallWatch m_stall;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
};

} // namespace device
