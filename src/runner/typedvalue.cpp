#include "typedvalue.h"

#include "nearestname.h"

#include "opos/constantnames.h"
#include "opos/escapedecoder.h"
#include "opos/statuslines.h"

#include <QStringList>

namespace runner {

namespace {

std::optional<qint32> numberOrConstant(const QString& word) {
    bool ok = false;
    const qint32 number = word.toInt(&ok, 10);
    if (ok)
        return number;
    return opos::constantValue(word);
}

// The number, or in *unknown the part of the word that is none.
std::optional<qint32> convertNumber(const QString& word, QString* unknown) {
    qint32 combined = 0;
    for (const QString& part : word.split(u'|')) {
        const std::optional<qint32> value = numberOrConstant(part.trimmed());
        if (!value) {
            *unknown = part.trimmed();
            return std::nullopt;
        }
        combined |= *value;
    }
    return combined;
}

std::optional<bool> convertBool(const QString& word) {
    if (word == u"TRUE" || word == u"true" || word == u"1")
        return true;
    if (word == u"FALSE" || word == u"false" || word == u"0")
        return false;
    return std::nullopt;
}

} // namespace

ValueType valueTypeOf(QByteArray typeName) {
    typeName = typeName.trimmed();
    if (typeName.startsWith("const "))
        typeName = typeName.mid(6);
    if (typeName.endsWith('&'))
        typeName.chop(1);
    if (typeName == "void" || typeName.isEmpty())
        return ValueType::Void;
    if (typeName == "qint32" || typeName == "int")
        return ValueType::Int;
    if (typeName == "bool")
        return ValueType::Bool;
    if (typeName == "QString")
        return ValueType::String;
    return ValueType::Unsupported;
}

void* TypedValue::data() {
    switch (type) {
    case ValueType::Int:
        return &number;
    case ValueType::Bool:
        return &flag;
    case ValueType::String:
        return &text;
    case ValueType::Void:
    case ValueType::Unsupported:
        break;
    }
    return nullptr;
}

QString TypedValue::shown() const {
    switch (type) {
    case ValueType::Int:
        return QString::number(number);
    case ValueType::Bool:
        return opos::boolText(flag);
    case ValueType::String:
        return u'"' + text + u'"';
    case ValueType::Void:
    case ValueType::Unsupported:
        break;
    }
    return {};
}

bool TypedValue::operator==(const TypedValue& other) const {
    if (type != other.type)
        return false;
    switch (type) {
    case ValueType::Int:
        return number == other.number;
    case ValueType::Bool:
        return flag == other.flag;
    case ValueType::String:
        return text == other.text;
    case ValueType::Void:
    case ValueType::Unsupported:
        break;
    }
    return true;
}

std::optional<TypedValue> convertWord(const QString& word, ValueType type, QString* why) {
    TypedValue value = TypedValue::of(type);
    switch (type) {
    case ValueType::Int: {
        QString unknown;
        if (const std::optional<qint32> number = convertNumber(word, &unknown)) {
            value.number = *number;
            return value;
        }
        *why = QStringLiteral("\"%1\" is no whole number and no OPOS constant%2")
                   .arg(word, suggestion(unknown, opos::constantNames()));
        return std::nullopt;
    }
    case ValueType::Bool:
        if (const std::optional<bool> flag = convertBool(word)) {
            value.flag = *flag;
            return value;
        }
        *why = QStringLiteral("\"%1\" is not TRUE or FALSE").arg(word);
        return std::nullopt;
    case ValueType::String:
        value.text = opos::decodeEscapes(word);
        return value;
    case ValueType::Void:
    case ValueType::Unsupported:
        break;
    }
    *why = QStringLiteral("a value of this type cannot be written in a plan");
    return std::nullopt;
}

} // namespace runner
