#pragma once

#include <QByteArray>
#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

// libFuzzer's input as Qt bytes, and one offscreen application for targets that draw.
inline QByteArray fuzzBytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Made before the first input (in LLVMFuzzerInitialize), so what the application and the font
// caches keep for the whole run is not taken for a leak of one input.
inline void ensureGuiApplication() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_LOGGING_RULES", "*=false");
        new QGuiApplication(argc, argv);
    }
}
