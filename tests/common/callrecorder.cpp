#include "callrecorder.h"

#include "opos/oposconstants.h"

QString quoted(const QString& data) {
    QString text = QStringLiteral("\"");
    for (QChar c : data) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            text += QStringLiteral("<%1>").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            text += c;
    }
    return text + u'"';
}

QString CallRecorder::shown(const QString& value) {
    return quoted(value);
}

qint32 CallRecorder::answer(const QString& method, const QString& call) {
    calls.append(call);
    if (log)
        log->append(m_device + u'.' + call.left(call.indexOf(u'(')));
    resultCode = results.value(method, defaultResult);
    return resultCode;
}

QVariant CallRecorder::read(const QString& name) const {
    calls.append(name + QStringLiteral("()"));
    return values.value(name);
}

qint32 CallRecorder::readState() const {
    calls.append(QStringLiteral("State()"));
    return state;
}

qint32 CallRecorder::readResultCode() const {
    calls.append(QStringLiteral("ResultCode()"));
    return resultCode;
}

qint32 CallRecorder::opened(qint32 code) {
    if (code == opos::OPOS_SUCCESS)
        state = opos::OPOS_S_IDLE;
    return code;
}

qint32 CallRecorder::closed(qint32 code) {
    if (code == opos::OPOS_SUCCESS)
        state = opos::OPOS_S_CLOSED;
    return code;
}
