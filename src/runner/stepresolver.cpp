#include "stepresolver.h"

#include "nearestname.h"
#include "parameterwords.h"

#include "opos/constantnames.h"

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

// What a misspelt step could have meant: the control's methods and property reads, or the
// properties it can set.
QStringList namesOf(const QObject& control, bool settable) {
    QStringList names;
    const QMetaObject* meta = control.metaObject();
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        const QString name = QString::fromLatin1(method.name());
        if (method.methodType() != QMetaMethod::Method)
            continue;
        const bool setter = name.startsWith(QStringLiteral("set")) && method.parameterCount() == 1;
        if (setter == settable)
            names << (setter ? name.mid(3) : name);
    }
    return names;
}

QStringList resultNames() {
    QStringList names = opos::constantNames().filter(QRegularExpression(QStringLiteral("^OPOS_E")));
    return names << QStringLiteral("OPOS_SUCCESS");
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
        if (!value) {
            const QString name = parameterName(method, i);
            const QString methodName = QString::fromLatin1(method.name());
            if (methodName.startsWith(QStringLiteral("set")) && methodName.mid(3) == name)
                return QStringLiteral("%1: %2").arg(name, why);
            return QStringLiteral("%1 of %2: %3").arg(name, methodName, why);
        }
        out << *value;
    }
    return {};
}

} // namespace

StepResolver::Resolved StepResolver::resolve(const Plan& plan) const {
    using Action = ResolvedStep::Action;
    Resolved resolved;
    qsizetype resultStep = -1; // the method or property set that came last, expectations apart
    bool resultBefore = false;
    int lineBefore = 0;
    for (const PlanStep& step : plan.steps) {
        if (plan.brokenBetween(lineBefore, step.line)) {
            resultStep = -1;
            resultBefore = true;
        }
        lineBefore = step.line;
        ResolvedStep out;
        out.step = step;
        if (const QString error = resolveStep(step, resultBefore, out); !error.isEmpty()) {
            resolved.errors << PlanError{step.line, step.source, error};
            if (step.kind != PlanStep::Kind::ExpectResult && step.kind != PlanStep::Kind::ExpectProperty) {
                resultStep = -1; // what the broken step was meant to be is not known
                resultBefore = true;
            }
            continue;
        }
        if (out.action == Action::ExpectResult && resultStep >= 0)
            resolved.steps[resultStep].resultExpected = true;
        if (out.action != Action::ExpectResult && out.action != Action::ExpectProperty) {
            resultBefore = out.action == Action::Method || out.action == Action::PropertySet;
            resultStep = resultBefore ? resolved.steps.size() : -1;
        }
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
            return QStringLiteral("\"%1\" is no result code, result name or result text%2")
                .arg(step.arguments.first(), suggestion(step.arguments.first(), resultNames()));
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
        return QStringLiteral("the %1 has no method or property \"%2\"%3")
            .arg(deviceWord(step.device), step.name, suggestion(step.name, namesOf(target, false)));
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
    return argumentCountText(QString::fromLatin1(methods.first().name()), methods, step.arguments.size());
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
    return QStringLiteral("the %1 has no property \"%2\" that can be set%3")
        .arg(deviceWord(step.device), step.name, suggestion(step.name, namesOf(target, true)));
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
    return QStringLiteral("the %1 has no property \"%2\"%3")
        .arg(deviceWord(step.device), step.name, suggestion(step.name, namesOf(target, false)));
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
