#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <utility>

// What the fakes of one test were asked to do, in order across both contracts ("printer.Close",
// "drawer.Close"); it outlives the fakes, which their windows destroy on unload.
using CallLog = std::shared_ptr<QStringList>;

// The recording both control fakes share. Every call, property set and property read is kept in
// `calls`, in order, as text such as PrintNormal(2,"abc<0D><0A>"), setDeviceEnabled(true) or
// State(). Methods and sets answer with `results[name]` (default `defaultResult`), which
// ResultCode() then gives; reads answer from `values` (missing: false, 0, empty). With a `log`,
// each method and set (not the reads) is noted there too, by name after the device's.
class CallRecorder {
public:
    mutable QStringList calls;
    QHash<QString, qint32> results;
    qint32 defaultResult = 0;
    QVariantHash values;
    qint32 state = 1;
    qint32 resultCode = 0;
    CallLog log;

    QStringList takeCalls() { return std::exchange(calls, {}); }

protected:
    explicit CallRecorder(QString device) : m_device(std::move(device)) {}

    static QString shown(qint32 value) { return QString::number(value); }
    static QString shown(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }
    static QString shown(const QString& value);

    // Answers as `results[method]` and records method(arguments).
    template <typename... Arguments> qint32 recorded(const char* method, const Arguments&... arguments) {
        const QStringList shownArguments{shown(arguments)...};
        return answer(QLatin1String(method), QLatin1String(method) + u'(' + shownArguments.join(u',') + u')');
    }
    // A property set answers as `results[property]` and records setProperty(value).
    template <typename Value> void recordedSet(const char* property, const Value& value) {
        answer(QLatin1String(property),
               QStringLiteral("set%1(%2)").arg(QLatin1String(property), shown(value)));
    }
    qint32 answer(const QString& method, const QString& call);
    QVariant read(const QString& name) const;
    qint32 readState() const;
    qint32 readResultCode() const;
    // Open and Close move the state the way a real control does, when they succeed.
    qint32 opened(qint32 code);
    qint32 closed(qint32 code);

private:
    QString m_device;
};

// A property read of a fake, recorded and answered from `values`.
#define POSLING_FAKE_READ(Type, Name)                                                                        \
    Type Name() const override {                                                                             \
        return read(QStringLiteral(#Name)).value<Type>();                                                    \
    }

// The fakes of one kind the control factory made, oldest first; the windows own them, so destroyed
// ones read null.
template <typename Fake> class MadeFakes {
public:
    static QList<QPointer<Fake>>& created() {
        static QList<QPointer<Fake>> fakes;
        return fakes;
    }
    static Fake* last() { return created().isEmpty() ? nullptr : created().last().data(); }
    // The newest fake, if it was made after the first `count`.
    static Fake* lastAfter(qsizetype count) { return created().size() > count ? last() : nullptr; }

protected:
    static std::unique_ptr<Fake> make(const CallLog& log) {
        auto fake = std::make_unique<Fake>();
        fake->log = log;
        created().append(fake.get());
        return fake;
    }
};

// Shows print data with its control characters as <HH>, so recorded calls compare exactly.
QString quoted(const QString& data);
