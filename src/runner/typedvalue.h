#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace runner {

// The parameter and property types of the control contracts a plan can give or read.
enum class ValueType { Unsupported, Void, Int, Bool, String };

// The type behind a moc type name ("qint32", "int", "bool", "QString", with const and & removed).
ValueType valueTypeOf(QByteArray typeName);

// One value of a call: an argument, what a reference parameter gave back, or a return value.
struct TypedValue {
    ValueType type = ValueType::Void;
    qint32 number = 0;
    bool flag = false;
    QString text;

    static TypedValue of(ValueType type) { return TypedValue{type, 0, false, {}}; }
    void* data();          // where QMetaObject reads or writes it; null for Void
    QString shown() const; // as status lines show it: numbers, TRUE/FALSE, quoted texts
    bool operator==(const TypedValue& other) const;
};

// A plan word as a value of the type: a decimal number or OPOS constant names joined by '|'
// (ORed), TRUE/FALSE/true/false/1/0, or a text with its escapes decoded. No value, and why in
// *why, when the word does not convert.
std::optional<TypedValue> convertWord(const QString& word, ValueType type, QString* why);

} // namespace runner
