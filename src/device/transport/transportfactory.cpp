#include "transportfactory.h"

#include <QHash>

namespace device {

namespace {

QHash<QString, TransportFactory::Creator>& creators() {
    static QHash<QString, TransportFactory::Creator> table;
    return table;
}

} // namespace

void TransportFactory::registerScheme(const QString& scheme, Creator creator) {
    creators().insert(scheme.toLower(), std::move(creator));
}

bool TransportFactory::hasScheme(const QString& scheme) {
    return creators().contains(scheme.toLower());
}

std::unique_ptr<Transport> TransportFactory::create(const QString& connection,
                                                    const QMap<QString, QString>& options, QString* error) {
    const qsizetype colon = connection.indexOf(u':');
    if (colon <= 0) {
        if (error)
            *error = QStringLiteral("connection \"%1\" has no scheme (virtual:, tcp://, file:, serial:)")
                         .arg(connection);
        return nullptr;
    }
    const QString scheme = connection.left(colon).trimmed().toLower();
    QString address = connection.mid(colon + 1).trimmed();
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
    auto transport = (*it)(address, options);
    if (!transport && error && error->isEmpty())
        *error = QStringLiteral("connection \"%1\" could not be set up").arg(connection);
    return transport;
}

} // namespace device
