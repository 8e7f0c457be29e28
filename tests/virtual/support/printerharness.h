#pragma once

#include "common/paperlines.h"
#include "virtual/escpossession.h"
#include "virtual/virtualprinter.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QTimer>
#include <memory>

// A virtual printer with one link whose replies are collected. send() behaves as a host that waits
// while the printer works: it offers the bytes until taken and lets the printer print them.
struct PrinterHarness {
    explicit PrinterHarness(const QString& profile = QStringLiteral("80mm"))
        : PrinterHarness(*virt::VirtualProfile::byId(profile)) {}
    explicit PrinterHarness(const virt::VirtualProfile& profile)
        : printer(std::make_unique<virt::VirtualPrinter>(QStringLiteral("test"), profile)) {
        session = printer->attach([this](const QByteArray& bytes) { replies += bytes; });
    }
    void send(const QByteArray& bytes) {
        QByteArray rest = bytes;
        rest.remove(0, printer->receive(session, rest));
        settle();
        while (!rest.isEmpty() && printer->canPrint()) {
            rest.remove(0, printer->receive(session, rest));
            settle();
        }
    }
    // Runs the event loop until the printer has printed all it can (bounded).
    void settle() {
        const QDeadlineTimer deadline(10000);
        QTimer wake; // bounds every wait
        wake.start(50);
        while (printer->isPrinting() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    void sendHex(const char* hex) { send(QByteArray::fromHex(hex)); }
    // Replies travel through the event loop.
    QByteArray takeReplies() {
        settle();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const QByteArray out = replies;
        replies.clear();
        return out;
    }
    QImage current() const { return printer->paper()->currentImage(); }
    QStringList lines() const { return paperLines(*printer); }

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
