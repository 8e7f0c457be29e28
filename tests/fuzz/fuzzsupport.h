#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

// libFuzzer's input as Qt bytes, and one offscreen application for targets that draw.
inline QByteArray fuzzBytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Traces of every input would cost more than the input itself.
inline void silenceTraces() {
    qputenv("QT_LOGGING_RULES", "*=false");
}

// Made before the first input (in LLVMFuzzerInitialize), so what the application and the font
// caches keep for the whole run is not taken for a leak of one input.
inline void ensureGuiApplication() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        silenceTraces();
        new QGuiApplication(argc, argv);
    }
}

// The input as a file for paths that read one, in a folder kept for the run (in memory where
// /dev/shm is there, which spares the disk millions of writes). Empty when it cannot be written.
inline QString inputFile(const QString& name, const uint8_t* data, size_t size) {
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/posling-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/posling-fuzz-XXXXXX"));
    const QString path = folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(fuzzBytes(data, size)) != qint64(size))
        return {};
    return path;
}
