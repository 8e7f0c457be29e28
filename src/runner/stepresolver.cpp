#include "stepresolver.h"

#include <QStringList>

namespace runner {

namespace {

// Methods of the standard that take no parameters; any other invokable without parameters and
// with a value is a property read.
const QStringList kParameterlessMethods{QStringLiteral("Close"),        QStringLiteral("ReleaseDevice"),
                                        QStringLiteral("ClearOutput"),  QStringLiteral("OpenDrawer"),
                                        QStringLiteral("EndInsertion"), QStringLiteral("EndRemoval"),
                                        QStringLiteral("ClaimDevice"),  QStringLiteral("ClearPrintArea")};

bool isMethod(const QMetaMethod& method) {
    const ValueType returned = valueTypeOf(method.typeName());
    if (returned != ValueType::Int && returned != ValueType::Void)
        return false;
    return method.parameterCount() > 0 || returned == ValueType::Void ||
           kParameterlessMethods.contains(QString::fromLatin1(method.name()), Qt::CaseInsensitive);
}

bool isPropertyRead(const QMetaMethod& method) {
    const ValueType returned = valueTypeOf(method.typeName());
    return method.parameterCount() == 0 && returned != ValueType::Void &&
           returned != ValueType::Unsupported && !isMethod(method);
}

QString deviceWord(const QString& device) {
    return device.isEmpty() ? QStringLiteral("printer") : device;
}

// The arguments of `words` converted to the parameters of `method`, or why they do not fit.
QString convertArguments(const QMetaMethod& method, const QStringList& words, QList<TypedValue>& out) {
    for (int i = 0; i < method.parameterCount(); ++i) {
        const ValueType type = valueTypeOf(method.parameterTypeName(i));
        QString why;
        const std::optional<TypedValue> value = convertWord(words.at(i), type, &why);
        if (!value)
            return QStringLiteral("argument %1 (%2) of %3: %4")
                .arg(i + 1)
                .arg(QString::fromLatin1(method.parameterNames().value(i)),
                     QString::fromLatin1(method.name()), why);
        out << *value;
    }
    return {};
}

QString countsOf(const QList<QMetaMethod>& methods) {
    QStringList counts;
    for (const QMetaMethod& method : methods)
        counts << QString::number(method.parameterCount());
    return counts.join(QStringLiteral(" or "));
}

} // namespace

StepResolver::Resolved StepResolver::resolve(const Plan& plan) const {
    Resolved resolved;
    bool resultBefore = false; // a method or property set came last, expectations apart
    for (const PlanStep& step : plan.steps) {
        ResolvedStep out;
        out.step = step;
        if (const QString error = resolveStep(step, resultBefore, out); !error.isEmpty()) {
            resolved.steps.clear();
            resolved.errorLine = step.line;
            resolved.error = error;
            return resolved;
        }
        if (out.action != ResolvedStep::Action::ExpectResult &&
            out.action != ResolvedStep::Action::ExpectProperty)
            resultBefore =
                out.action == ResolvedStep::Action::Method || out.action == ResolvedStep::Action::PropertySet;
        resolved.steps << out;
    }
    return resolved;
}

QString StepResolver::resolveStep(const PlanStep& step, bool resultBefore, ResolvedStep& out) const {
    using Kind = PlanStep::Kind;
    using Action = ResolvedStep::Action;
    out.onDrawer = step.device == u"drawer";
    switch (step.kind) {
    case Kind::Call:
        return resolveCall(step, out);
    case Kind::Print: {
        PlanStep call = step;
        call.name = QStringLiteral("PrintNormal");
        call.arguments = QStringList{QStringLiteral("PTR_S_RECEIPT")} + step.arguments;
        return resolveCall(call, out);
    }
    case Kind::Set:
        return resolveSet(step, out);
    case Kind::ExpectResult: {
        if (!resultBefore)
            return QStringLiteral("expect RESULT checks the result of a method or property set, and none "
                                  "comes before it");
        out.action = Action::ExpectResult;
        out.result = ExpectedResult::read(step.arguments.first());
        if (!out.result)
            return QStringLiteral("\"%1\" is no result code, result name or result text")
                .arg(step.arguments.first());
        return {};
    }
    case Kind::ExpectProperty: {
        if (const QString error = resolveRead(step, out); !error.isEmpty())
            return error;
        out.action = Action::ExpectProperty;
        QString why;
        const std::optional<TypedValue> value =
            convertWord(step.arguments.first(), out.call.returnType(), &why);
        if (!value)
            return QStringLiteral("%1: %2").arg(out.name, why);
        out.value = *value;
        return {};
    }
    case Kind::WaitEvent:
        out.action = Action::WaitEvent;
        out.pattern = wildcardPattern(step.name);
        return {};
    case Kind::Ask:
        out.action = Action::Ask;
        return {};
    case Kind::ShowPrinter:
        out.action = Action::Nothing; // the window is set up before the run starts
        return {};
    }
    return QStringLiteral("a step of an unknown kind");
}

QString StepResolver::resolveCall(const PlanStep& step, ResolvedStep& out) const {
    QObject& target = control(step.device);
    const QList<QMetaMethod> named = invokablesNamed(target, step.name);
    if (named.isEmpty())
        return QStringLiteral("the %1 has no method or property \"%2\"")
            .arg(deviceWord(step.device), step.name);
    if (step.arguments.isEmpty()) {
        for (const QMetaMethod& method : named)
            if (isPropertyRead(method))
                return resolveRead(step, out);
    }
    QList<QMetaMethod> methods;
    for (const QMetaMethod& method : named)
        if (isMethod(method))
            methods << method;
    if (methods.isEmpty())
        return QStringLiteral("%1 of the %2 is a property: read it without arguments, set it with =")
            .arg(QString::fromLatin1(named.first().name()), deviceWord(step.device));
    for (const QMetaMethod& method : methods) {
        if (method.parameterCount() != step.arguments.size())
            continue;
        QList<TypedValue> arguments;
        if (const QString error = convertArguments(method, step.arguments, arguments); !error.isEmpty())
            return error;
        out.action = ResolvedStep::Action::Method;
        out.name = QString::fromLatin1(method.name());
        out.call = DeviceCall(&target, method, arguments);
        return {};
    }
    return QStringLiteral("%1 wants %2 arguments; the step gives %3")
        .arg(QString::fromLatin1(methods.first().name()), countsOf(methods))
        .arg(step.arguments.size());
}

QString StepResolver::resolveSet(const PlanStep& step, ResolvedStep& out) const {
    QObject& target = control(step.device);
    for (const QMetaMethod& setter : invokablesNamed(target, QStringLiteral("set") + step.name)) {
        if (setter.parameterCount() != 1)
            continue;
        QList<TypedValue> arguments;
        if (const QString error = convertArguments(setter, step.arguments, arguments); !error.isEmpty())
            return error;
        out.action = ResolvedStep::Action::PropertySet;
        out.name = QString::fromLatin1(setter.name()).mid(3);
        out.value = arguments.first();
        out.call = DeviceCall(&target, setter, arguments);
        return {};
    }
    return QStringLiteral("the %1 has no property \"%2\" that can be set")
        .arg(deviceWord(step.device), step.name);
}

QString StepResolver::resolveRead(const PlanStep& step, ResolvedStep& out) const {
    QObject& target = control(step.device);
    for (const QMetaMethod& method : invokablesNamed(target, step.name)) {
        if (!isPropertyRead(method))
            continue;
        out.action = ResolvedStep::Action::PropertyRead;
        out.name = QString::fromLatin1(method.name());
        out.call = DeviceCall(&target, method, {});
        return {};
    }
    return QStringLiteral("the %1 has no property \"%2\"").arg(deviceWord(step.device), step.name);
}

QObject& StepResolver::control(const QString& device) const {
    return device == u"drawer" ? m_drawer : m_printer;
}

QRegularExpression wildcardPattern(const QString& pattern) {
    QString expression;
    for (const QChar c : pattern) {
        if (c == u'*')
            expression += QStringLiteral(".*");
        else if (c == u'?')
            expression += u'.';
        else
            expression += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(expression),
                              QRegularExpression::CaseInsensitiveOption);
}

} // namespace runner
