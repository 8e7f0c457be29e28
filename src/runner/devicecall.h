#pragma once

#include "typedvalue.h"

#include <QList>
#include <QMetaMethod>
#include <QObject>
#include <QPointer>

namespace runner {

// One invokable of a control with the arguments a plan gave it, called through its meta-object,
// so methods and setters added to the contracts need no change here.
class DeviceCall {
public:
    struct WrittenBack {
        QString parameter;
        TypedValue value;
    };
    struct Outcome {
        TypedValue returned;            // Void for a setter
        QList<WrittenBack> writtenBack; // what reference parameters hold after the call
    };

    DeviceCall() = default;
    DeviceCall(QObject* control, const QMetaMethod& method, QList<TypedValue> arguments);

    QString name() const { return QString::fromLatin1(m_method.name()); }
    ValueType returnType() const { return valueTypeOf(m_method.typeName()); }
    Outcome invoke() const; // every call starts from the plan's values again

private:
    QPointer<QObject> m_control;
    QMetaMethod m_method;
    QList<TypedValue> m_arguments;
};

// The invokables of a control (no signals or slots) whose name is `name`, upper or lower case
// alike.
QList<QMetaMethod> invokablesNamed(const QObject& control, const QString& name);

} // namespace runner
