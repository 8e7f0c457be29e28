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

// GS ( and GS 8 are named with their function byte, GS v with its 0; that byte is part of the name.
QString mnemonicOf(const CommandEntry& entry, QByteArrayView frame, bool* withFunction) {
    const QLatin1String mnemonic(entry.mnemonic);
    *withFunction = (mnemonic == QLatin1String("GS (") || mnemonic == QLatin1String("GS 8") ||
                     mnemonic == QLatin1String("GS v")) &&
                    frame.size() > 2 && quint8(frame[2]) >= 0x20 && quint8(frame[2]) < 0x7F;
    return *withFunction ? mnemonic + QLatin1Char(' ') + QLatin1Char(frame[2]) : QString(mnemonic);
}

} // namespace

CommandParameters commandParameters(const CommandEntry& entry, QByteArrayView frame) {
    CommandParameters parameters;
    bool withFunction = false;
    parameters.mnemonic = mnemonicOf(entry, frame, &withFunction);
    qsizetype at = entry.prefixLength + (withFunction ? 1 : 0);
    const QHash<QByteArray, QByteArray>& names = parameterNames();
    auto found = names.constFind(parameters.mnemonic.toLatin1());
    if (found == names.constEnd())
        found = names.constFind(QByteArray(entry.mnemonic));
    const QList<QByteArray> list = found == names.constEnd() ? QList<QByteArray>() : found->split(' ');
    for (const QByteArray& name : list) {
        if (name == "..." || at >= frame.size())
            break;
        parameters.values.append({name, quint8(frame[at])});
        ++at;
    }
    parameters.dataBytes = qMax<qsizetype>(0, frame.size() - at);
    return parameters;
}

} // namespace virt
