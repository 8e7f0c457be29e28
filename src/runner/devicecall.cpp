#include "devicecall.h"

#include <vector>

namespace runner {

namespace {

bool isReference(const QByteArray& typeName) {
    return typeName.endsWith('&') && !typeName.startsWith("const ");
}

} // namespace

DeviceCall::DeviceCall(QObject* control, const QMetaMethod& method, QList<TypedValue> arguments)
    : m_control(control), m_method(method), m_arguments(std::move(arguments)) {}

DeviceCall::Outcome DeviceCall::invoke() const {
    Outcome outcome;
    outcome.returned = TypedValue::of(returnType());
    if (!m_control)
        return outcome;
    QList<TypedValue> arguments = m_arguments;
    std::vector<void*> argv{outcome.returned.data()};
    for (TypedValue& argument : arguments)
        argv.push_back(argument.data());
    QMetaObject::metacall(m_control, QMetaObject::InvokeMetaMethod, m_method.methodIndex(), argv.data());
    const QList<QByteArray> names = m_method.parameterNames();
    for (int i = 0; i < m_method.parameterCount(); ++i)
        if (isReference(m_method.parameterTypeName(i)))
            outcome.writtenBack.append({QString::fromLatin1(names.value(i)), arguments.at(i)});
    return outcome;
}

QList<QMetaMethod> invokablesNamed(const QObject& control, const QString& name) {
    QList<QMetaMethod> found;
    const QMetaObject* meta = control.metaObject();
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Method &&
            QString::fromLatin1(method.name()).compare(name, Qt::CaseInsensitive) == 0)
            found << method;
    }
    return found;
}

} // namespace runner
