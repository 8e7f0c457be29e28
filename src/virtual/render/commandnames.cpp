#include "commandnames.h"

#include <QHash>

namespace virt {

namespace {

// The names of the bytes after the mnemonic; "..." stands for data of any length.
const QHash<QByteArray, QByteArray>& parameterNames() {
    static const QHash<QByteArray, QByteArray> names{
        {"ESC SP", "n"},
        {"ESC !", "n"},
        {"ESC $", "nL nH"},
        {"ESC %", "n"},
        {"ESC &", "y c1 c2 ..."},
        {"ESC *", "m nL nH ..."},
        {"ESC -", "n"},
        {"ESC 3", "n"},
        {"ESC =", "n"},
        {"ESC ?", "n"},
        {"ESC D", "..."},
        {"ESC E", "n"},
        {"ESC G", "n"},
        {"ESC J", "n"},
        {"ESC M", "n"},
        {"ESC R", "n"},
        {"ESC T", "n"},
        {"ESC U", "n"},
        {"ESC V", "n"},
        {"ESC W", "xL xH yL yH dxL dxH dyL dyH"},
        {"ESC \\", "nL nH"},
        {"ESC a", "n"},
        {"ESC c", "a n"},
        {"ESC d", "n"},
        {"ESC e", "n"},
        {"ESC p", "m t1 t2"},
        {"ESC r", "n"},
        {"ESC t", "n"},
        {"ESC u", "n"},
        {"ESC {", "n"},
        {"ESC (", "pL pH ..."},
        {"GS !", "n"},
        {"GS #", "n"},
        {"GS $", "nL nH"},
        {"GS ( k", "pL pH cn fn ..."},
        {"GS ( L", "pL pH m fn ..."},
        {"GS ( H", "pL pH fn m ..."},
        {"GS (", "pL pH ..."},
        {"GS *", "x y ..."},
        {"GS /", "m"},
        {"GS 8 L", "p1 p2 p3 p4 m fn ..."},
        {"GS B", "n"},
        {"GS C", "..."},
        {"GS E", "n"},
        {"GS H", "n"},
        {"GS I", "n"},
        {"GS L", "nL nH"},
        {"GS P", "x y"},
        {"GS Q", "..."},
        {"GS T", "n"},
        {"GS V", "m n"},
        {"GS W", "nL nH"},
        {"GS \\", "nL nH"},
        {"GS ^", "r t m"},
        {"GS a", "n"},
        {"GS b", "n"},
        {"GS f", "n"},
        {"GS g", "..."},
        {"GS h", "n"},
        {"GS j", "n"},
        {"GS k", "m ..."},
        {"GS r", "n"},
        {"GS v 0", "m xL xH yL yH ..."},
        {"GS w", "n"},
        {"GS z", "n1 n2 n3"},
        {"DLE EOT", "n a"},
        {"DLE ENQ", "n"},
        {"DLE DC4", "fn ..."},
        {"FS !", "n"},
        {"FS -", "n"},
        {"FS (", "pL pH ..."},
        {"FS 2", "c1 c2 ..."},
        {"FS ?", "c1 c2"},
        {"FS C", "n"},
        {"FS S", "n1 n2"},
        {"FS W", "n"},
        {"FS g", "..."},
        {"FS p", "n m"},
        {"FS q", "n ..."},
    };
    return names;
}

// ESC (, FS (, GS ( and GS 8 are named with their function byte, GS v with its 0: that byte is part
// of the name. GS k names its length byte where the symbology has one (m 65 and up).
struct Naming {
    QString mnemonic;
    QList<QByteArray> names;
    int firstParameter = 0;
};

Naming namingOf(const CommandEntry& entry, QByteArrayView frame) {
    const QLatin1String mnemonic(entry.mnemonic);
    const bool withFunction = (mnemonic == QLatin1String("GS (") || mnemonic == QLatin1String("GS 8") ||
                               mnemonic == QLatin1String("GS v") || mnemonic == QLatin1String("ESC (") ||
                               mnemonic == QLatin1String("FS (")) &&
                              frame.size() > 2 && quint8(frame[2]) >= 0x20 && quint8(frame[2]) < 0x7F;
    Naming naming;
    naming.mnemonic = withFunction ? mnemonic + QLatin1Char(' ') + QLatin1Char(frame[2]) : QString(mnemonic);
    naming.firstParameter = entry.prefixLength + (withFunction ? 1 : 0);
    const QHash<QByteArray, QByteArray>& names = parameterNames();
    auto found = names.constFind(naming.mnemonic.toLatin1());
    if (found == names.constEnd())
        found = names.constFind(QByteArray(entry.mnemonic));
    if (found != names.constEnd())
        naming.names = found->split(' ');
    if (mnemonic == QLatin1String("GS k") && frame.size() > 2 && quint8(frame[2]) >= 65)
        naming.names = {"m", "n", "..."};
    return naming;
}

// Naming is asked for every command of a job: it is worked out once per command and function.
const Naming& cachedNaming(const CommandEntry& entry, QByteArrayView frame) {
    static QHash<quint64, Naming> cache;
    const quint8 function = frame.size() > 2 ? quint8(frame[2]) : 0;
    const bool barcodeWithLength = QLatin1String(entry.mnemonic) == QLatin1String("GS k") && function >= 65;
    const quint64 key =
        (quint64(quintptr(&entry)) << 9) | (quint64(function) << 1) | (barcodeWithLength ? 1 : 0);
    auto it = cache.constFind(key);
    if (it == cache.constEnd())
        it = cache.insert(key, namingOf(entry, frame));
    return *it;
}

} // namespace

CommandParameters commandParameters(const CommandEntry& entry, QByteArrayView frame) {
    const Naming& naming = cachedNaming(entry, frame);
    CommandParameters parameters;
    parameters.mnemonic = naming.mnemonic;
    qsizetype at = naming.firstParameter;
    for (const QByteArray& name : naming.names) {
        if (name == "..." || at >= frame.size())
            break;
        parameters.values.append({name, quint8(frame[at])});
        ++at;
    }
    parameters.dataBytes = qMax<qsizetype>(0, frame.size() - at);
    return parameters;
}

} // namespace virt
