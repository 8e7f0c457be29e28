#include "scriptedprinter.h"

#include "virtual/escpossession.h"
#include "virtual/virtualprinter.h"

ScriptedPrinter::ScriptedPrinter(virt::VirtualPrinter* printer, QObject* parent)
    : QObject(parent), m_printer(printer) {
    connect(&m_server, &QTcpServer::newConnection, this, &ScriptedPrinter::accept);
    m_drip.setInterval(1000);
    connect(&m_drip, &QTimer::timeout, this, &ScriptedPrinter::dripOne);
}

ScriptedPrinter::~ScriptedPrinter() {
    m_drip.stop();
    if (m_client) { // goes with the server, which must not hear it leave
        disconnect(m_client, nullptr, this, nullptr);
        m_client->abort();
    }
    if (m_session)
        m_printer->detach(m_session);
}

bool ScriptedPrinter::listen() {
    return m_server.listen(QHostAddress::LocalHost, 0);
}

void ScriptedPrinter::setBehaviour(Behaviour behaviour) {
    m_behaviour = behaviour;
    if (behaviour == Behaviour::Drip)
        m_drip.start();
    else
        m_drip.stop();
    if (behaviour == Behaviour::Normal && m_client && !m_held.isEmpty())
        m_client->write(std::exchange(m_held, {}));
    takeAvailable();
}

void ScriptedPrinter::accept() {
    if (m_client) // the backlog keeps the next one until this one leaves
        return;
    m_client = m_server.nextPendingConnection();
    if (!m_client)
        return;
    if (m_session)
        m_printer->detach(m_session);
    QPointer<ScriptedPrinter> self(this);
    m_session = m_printer->attach([self](const QByteArray& bytes) {
        if (self)
            self->answer(bytes);
    });
    connect(m_session, &virt::EscPosSession::spaceFreed, this, &ScriptedPrinter::takeAvailable);
    connect(m_client, &QTcpSocket::readyRead, this, &ScriptedPrinter::takeAvailable);
    connect(m_client, &QTcpSocket::disconnected, this, [this] {
        m_client->deleteLater();
        m_client.clear();
        m_held.clear();
        accept();
    });
    takeAvailable();
}

void ScriptedPrinter::takeAvailable() {
    if (!m_client || !m_session)
        return;
    switch (m_behaviour) {
    case Behaviour::Normal: {
        const QByteArray bytes = m_client->peek(m_session->freeSpace());
        m_client->skip(m_printer->receive(m_session, bytes));
        break;
    }
    case Behaviour::Silent:
        m_client->readAll();
        break;
    case Behaviour::Garbage: {
        QByteArray noise = m_client->readAll();
        for (char& c : noise)
            c = char((m_seed = m_seed * 1664525u + 1013904223u) >> 24);
        m_client->write(noise);
        break;
    }
    case Behaviour::Drip:
    case Behaviour::Stalled:
        break;
    }
}

void ScriptedPrinter::dripOne() {
    if (m_client && m_session && m_client->bytesAvailable() > 0)
        m_printer->receive(m_session, m_client->read(1));
}

void ScriptedPrinter::answer(const QByteArray& bytes) {
    if (!m_client)
        return;
    if (m_behaviour == Behaviour::Stalled)
        m_held += bytes;
    else if (m_behaviour == Behaviour::Normal || m_behaviour == Behaviour::Drip)
        m_client->write(bytes);
}
