#pragma once

// Small pixel helpers shared by the rendering tests.
#include <QColor>
#include <QImage>
#include <QRect>

#include <functional>

namespace velmora::test {

// A w x h image of one opaque colour.
inline QImage SolidImage(int w, int h, QRgb color)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

// A w x h image whose every pixel has its own colour, so flips and offsets show.
inline QImage PatternImage(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(40 + 50 * x, 30 + 60 * y, 200 - 20 * x - 10 * y));
    return image;
}

// Smallest rectangle holding every pixel for which test holds; null when none does.
inline QRect BoundsWhere(const QImage &image, const std::function<bool(QRgb)> &test)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (test(image.pixel(x, y)))
                bounds = bounds.united(QRect(x, y, 1, 1));
    return bounds;
}

// Pixels that differ from background by more than a faint anti-aliasing trace.
inline QRect InkBounds(const QImage &image, QRgb background)
{
    return BoundsWhere(image, [background](QRgb p) {
        return std::abs(qRed(p) - qRed(background)) + std::abs(qGreen(p) - qGreen(background))
                   + std::abs(qBlue(p) - qBlue(background)) + std::abs(qAlpha(p) - qAlpha(background))
            > 60;
    });
}

} // namespace velmora::test
