#include "devicerig.h"

#include "fakeprinter.h"

#include <QFile>

DeviceRig::DeviceRig(const QString& extraSections) {
    FakePrinter::install();
    m_previous = qgetenv("POSLING_DEVICES");
    // Statistics the controls keep go to the rig's folder, not the user's.
    m_previousData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toLocal8Bit());
    QFile file(path());
    if (file.open(QIODevice::WriteOnly | QIODevice::Text))
        file.write((standardSections() + extraSections).toUtf8());
    qputenv("POSLING_DEVICES", path().toLocal8Bit());
}

DeviceRig::~DeviceRig() {
    qputenv("POSLING_DEVICES", m_previous);
    qputenv("XDG_DATA_HOME", m_previousData);
}

QString DeviceRig::path() const {
    return m_dir.filePath(QStringLiteral("devices.ini"));
}

QString DeviceRig::standardSections() {
    return QStringLiteral(
        "[P]\nclass=POSPrinter\nconnection=memory:P\nprofile=80mm\ntimeout=150\n"
        "open_timeout=150\nretry_interval=10\n\n"
        "[D]\nclass=CashDrawer\nprinter=P\npin=2\npulse_on=100\npulse_off=500\nopen_level=high\n\n");
}

QByteArray readyCheck() {
    return QByteArray::fromHex("100401100402100404");
}
