// posling-icons LOGO FOLDER: the application icon at the hicolor sizes, cut from the About box's
// logo. scripts/icons.sh runs it; its PNG files are committed, so the build needs nothing more.
#include <QColor>
#include <QDir>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The logo is a printer on a light blue gradient. The gradient runs top to bottom, so a pixel is
// background when it is close to its row's left-most pixel and reached from the border through
// such pixels: the white paper inside the printer stays.
QImage cutOutBackground(const QImage& logo) {
    QImage image = logo.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width(), h = image.height();
    auto isBackground = [&](int x, int y) {
        const QColor pixel = image.pixelColor(x, y), row = image.pixelColor(0, y);
        return std::abs(pixel.red() - row.red()) < 28 && std::abs(pixel.green() - row.green()) < 28 &&
               std::abs(pixel.blue() - row.blue()) < 28;
    };
    std::vector<bool> seen(size_t(w) * size_t(h));
    std::vector<QPoint> todo;
    for (int x = 0; x < w; ++x)
        todo.insert(todo.end(), {QPoint(x, 0), QPoint(x, h - 1)});
    for (int y = 0; y < h; ++y)
        todo.insert(todo.end(), {QPoint(0, y), QPoint(w - 1, y)});
    while (!todo.empty()) {
        const QPoint p = todo.back();
        todo.pop_back();
        if (p.x() < 0 || p.y() < 0 || p.x() >= w || p.y() >= h || seen[size_t(p.y()) * w + p.x()])
            continue;
        seen[size_t(p.y()) * w + p.x()] = true;
        if (!isBackground(p.x(), p.y()))
            continue;
        image.setPixelColor(p, Qt::transparent);
        todo.insert(todo.end(), {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)});
    }
    // The drawing's outermost pixels are blended with the background; taking the background back out
    // keeps a light fringe off dark desktops.
    QImage result = image;
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x) {
            const QColor pixel = image.pixelColor(x, y), row = logo.pixelColor(0, y);
            const bool edge =
                pixel.alpha() != 0 &&
                (image.pixelColor(x - 1, y).alpha() == 0 || image.pixelColor(x + 1, y).alpha() == 0 ||
                 image.pixelColor(x, y - 1).alpha() == 0 || image.pixelColor(x, y + 1).alpha() == 0);
            if (!edge)
                continue;
            const double distance =
                std::max({std::abs(pixel.redF() - row.redF()), std::abs(pixel.greenF() - row.greenF()),
                          std::abs(pixel.blueF() - row.blueF())});
            const double alpha = std::min(1.0, distance / 0.6);
            auto unblend = [&](double c, double b) {
                return std::clamp((c - (1 - alpha) * b) / alpha, 0.0, 1.0);
            };
            result.setPixelColor(x, y,
                                 QColor::fromRgbF(float(unblend(pixel.redF(), row.redF())),
                                                  float(unblend(pixel.greenF(), row.greenF())),
                                                  float(unblend(pixel.blueF(), row.blueF())), float(alpha)));
        }
    return result;
}

// The drawing's bounds, centred on a transparent square with a small margin.
QImage squareAroundDrawing(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                bounds |= QRect(x, y, 1, 1);
    const int side = qMax(bounds.width(), bounds.height()) * 17 / 16;
    QImage square(side, side, QImage::Format_ARGB32);
    square.fill(Qt::transparent);
    const QPoint offset((side - bounds.width()) / 2, (side - bounds.height()) / 2);
    for (int y = 0; y < bounds.height(); ++y)
        for (int x = 0; x < bounds.width(); ++x)
            square.setPixel(offset + QPoint(x, y), image.pixel(bounds.topLeft() + QPoint(x, y)));
    return square;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: posling-icons LOGO FOLDER\n");
        return 2;
    }
    const QImage logo(QString::fromLocal8Bit(argv[1]));
    if (logo.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QImage icon = squareAroundDrawing(cutOutBackground(logo));
    // Larger sizes would only enlarge the logo's pixels.
    for (const int size : {16, 22, 24, 32, 48, 64, 128}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        QDir().mkpath(folder);
        const QImage scaled = icon.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (!scaled.save(folder + QStringLiteral("/posling.png"))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
