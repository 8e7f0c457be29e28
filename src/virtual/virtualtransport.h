#pragma once

#include "device/transport/transport.h"
#include "escpossession.h"
#include "virtualprinter.h"

#include <QMap>
#include <QPointer>

namespace virt {

// A link to an in-process virtual printer ("virtual:NAME"). Replies arrive from the event loop,
// never inside write(). Bytes the printer's receive buffer cannot take yet wait here, as in a
// socket's send buffer, and go on when the printer has room; closing the link drops them.
class VirtualTransport : public device::Transport {
    Q_OBJECT
public:
    VirtualTransport(const QString& name, const QMap<QString, QString>& options, QObject* parent = nullptr);
    ~VirtualTransport() override;

    void open() override;
    void close() override;
    bool isOpen() const override { return m_session != nullptr; }
    void write(const QByteArray& bytes) override;
    QString describe() const override { return QStringLiteral("virtual:%1").arg(m_name); }

    VirtualPrinter* printer() const { return m_printer; }
    // Bytes written that the printer has not taken yet.
    qsizetype pendingBytes() const { return m_pending.size(); }
    qint64 bytesToWrite() const override { return m_pending.size(); }

private:
    void flush();

    QString m_name;
    QMap<QString, QString> m_options;
    QPointer<VirtualPrinter> m_printer;
    QPointer<EscPosSession> m_session;
    QByteArray m_pending;
};

} // namespace virt
