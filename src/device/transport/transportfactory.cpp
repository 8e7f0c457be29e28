#include "transportfactory.h"

#include <QHash>

namespace device {

namespace {

QHash<QString, TransportFactory::Creator>& creators() {
    static QHash<QString, TransportFactory::Creator> table;
    return table;
}

// "tcp" of "tcp://host:9100"; empty when the string has no scheme before a colon.
QString schemeOf(const QString& connection) {
    const qsizetype colon = connection.indexOf(u':');
    return colon > 0 ? connection.left(colon).trimmed().toLower() : QString();
}

} // namespace

void TransportFactory::registerScheme(const QString& scheme, Creator creator) {
    creators().insert(scheme.toLower(), std::move(creator));
}

bool TransportFactory::knowsSchemeOf(const QString& connection) {
    const QString scheme = schemeOf(connection);
    return !scheme.isEmpty() && creators().contains(scheme);
}

std::unique_ptr<Transport> TransportFactory::create(const QString& connection,
                                                    const QMap<QString, QString>& options, QString* error) {
    const QString scheme = schemeOf(connection);
    if (scheme.isEmpty()) {
        if (error)
            *error = QStringLiteral("connection \"%1\" has no scheme (virtual:, tcp://, file:, serial:)")
                         .arg(connection);
        return nullptr;
    }
    QString address = connection.mid(connection.indexOf(u':') + 1).trimmed();
    if (address.startsWith(QLatin1String("//")))
        address = address.mid(2);
    const auto it = creators().constFind(scheme);
    if (it == creators().constEnd()) {
        if (error)
            *error =
                QStringLiteral("connection \"%1\" uses the unknown scheme \"%2\"").arg(connection, scheme);
        return nullptr;
    }
    if (address.isEmpty()) {
        if (error)
            *error = QStringLiteral("connection \"%1\" names no address").arg(connection);
        return nullptr;
    }
    QString why;
    auto transport = (*it)(address, options, &why);
    if (!transport && error)
        *error = why.isEmpty() ? QStringLiteral("connection \"%1\" could not be set up").arg(connection)
                               : QStringLiteral("connection \"%1\": %2").arg(connection, why);
    return transport;
}

} // namespace device
