#pragma once

#include "virtual/escpossession.h"
#include "virtual/virtualprinter.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <memory>

// A virtual printer with one link whose replies are collected.
struct PrinterHarness {
    explicit PrinterHarness(const QString& profile = QStringLiteral("80mm"))
        : printer(std::make_unique<virt::VirtualPrinter>(QStringLiteral("test"),
                                                         *virt::VirtualProfile::byId(profile))) {
        session = printer->attach([this](const QByteArray& bytes) { replies += bytes; });
    }
    void send(const QByteArray& bytes) { printer->receive(session, bytes); }
    void sendHex(const char* hex) { send(QByteArray::fromHex(hex)); }
    // Replies travel through the event loop.
    QByteArray takeReplies() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const QByteArray out = replies;
        replies.clear();
        return out;
    }
    QImage current() const { return printer->paper()->currentImage(); }

    std::unique_ptr<virt::VirtualPrinter> printer;
    virt::EscPosSession* session = nullptr;
    QByteArray replies;
};

// Rows (or columns) of an image that hold at least one black dot.
inline QList<int> darkRows(const QImage& image) {
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                rows.append(y);
                break;
            }
    return rows;
}

inline QRect inkBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}
