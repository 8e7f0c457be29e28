#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A devices file in a temporary folder, made the program's registry through POSLING_DEVICES for
// the lifetime of the rig: printer "P" on memory:P (short time-outs) and drawer "D" on it.
class DeviceRig {
public:
    explicit DeviceRig(const QString& extraSections = {});
    ~DeviceRig();
    QString path() const;
    static QString standardSections();

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    QByteArray m_previousData;
};

// The bytes a request puts on the wire around its data: the ready check before, GS r 1 after.
QByteArray readyCheck();
