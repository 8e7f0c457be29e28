#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace virt {
class EscPosSession;
class VirtualPrinter;
} // namespace virt

// A network printer that misbehaves on cue: the virtual printer's mechanism behind a loopback port
// whose far end can go silent, answer noise, take one byte a second, or stall and then catch up
// with nothing lost. One client at a time, as a printer's raw port.
class ScriptedPrinter : public QObject {
    Q_OBJECT
public:
    enum class Behaviour {
        Normal,
        Silent,  // takes every byte and never answers
        Garbage, // takes every byte and answers noise that is not status
        Drip,    // takes one byte a second; answers what those bytes ask
        Stalled, // takes nothing and holds its answers until it is Normal again
    };

    explicit ScriptedPrinter(virt::VirtualPrinter* printer, QObject* parent = nullptr);
    ~ScriptedPrinter() override;

    bool listen();
    quint16 port() const { return m_server.serverPort(); }
    void setBehaviour(Behaviour behaviour);

private:
    void accept();
    void takeAvailable();
    void dripOne();
    void answer(const QByteArray& bytes);

    virt::VirtualPrinter* m_printer;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QPointer<virt::EscPosSession> m_session;
    Behaviour m_behaviour = Behaviour::Normal;
    QByteArray m_held; // answers kept while stalled
    QTimer m_drip;
    quint32 m_seed = 12345;
};
