#include "core/credits/LogoGrid.h"

#include <algorithm>
#include <cmath>

namespace velmora {

double InkCoverage(const QImage &given)
{
    if (given.isNull() || given.width() < 1 || given.height() < 1)
        return 1.0;
    // A small copy answers as well as the whole picture.
    const QImage picture = (given.width() > 128 || given.height() > 128
                                ? given.scaled(128, 128, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                : given)
                               .convertToFormat(QImage::Format_ARGB32);
    // The ground is what the corners share: transparent when any of them is, else the colour
    // most of them have (a logo's ink may reach one corner).
    const int right = picture.width() - 1;
    const int bottom = picture.height() - 1;
    const QRgb corners[4] = {picture.pixel(0, 0), picture.pixel(right, 0), picture.pixel(0, bottom), picture.pixel(right, bottom)};
    QRgb ground = corners[0];
    int shared = 0;
    for (const QRgb corner : corners) {
        if (qAlpha(corner) < 128) {
            ground = qRgba(0, 0, 0, 0);
            break;
        }
        const int count = int(std::count(std::begin(corners), std::end(corners), corner));
        if (count > shared) {
            shared = count;
            ground = corner;
        }
    }
    double ink = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            // Against a transparent ground ink is coverage; against a colour, distance from it.
            const double difference = qAlpha(ground) < 128
                ? qAlpha(p) / 255.0
                : qAlpha(p) / 255.0
                    * std::max({std::abs(qRed(p) - qRed(ground)), std::abs(qGreen(p) - qGreen(ground)),
                                std::abs(qBlue(p) - qBlue(ground))}) / 255.0;
            ink += difference;
        }
    const double coverage = ink / (double(picture.width()) * picture.height());
    return coverage > 0.01 ? coverage : 1.0;  // a blank picture is taken as solid
}

std::vector<QRectF> LogoGrid(const std::vector<TLogoShape> &logos, int columns, double size, double width, double spine,
                             double &height)
{
    columns = std::max(1, columns);
    const double cell = width / columns;
    const double inkArea = size * size * 0.5;
    std::vector<QRectF> rects;
    height = 0;
    for (std::size_t first = 0; first < logos.size(); first += std::size_t(columns)) {
        const std::size_t end = std::min(logos.size(), first + std::size_t(columns));
        std::vector<QSizeF> sizes;
        double rowHeight = 0;
        for (std::size_t i = first; i < end; ++i) {
            const TLogoShape &logo = logos[i];
            const double aspect = logo.Natural.height() > 0 ? logo.Natural.width() / logo.Natural.height() : 1.0;
            const double ink = std::clamp(logo.Ink, 0.05, 1.0);
            double h = std::clamp(std::sqrt(inkArea / (aspect * ink)), size / 2, size * 2);
            double w = aspect * h;
            if (w > cell * 0.9) {  // a little air between neighbours
                w = cell * 0.9;
                h = aspect > 0 ? w / aspect : h;
            }
            sizes.emplace_back(w, h);
            rowHeight = std::max(rowHeight, h);
        }
        if (first > 0)
            height += size / 4;
        const double rowLeft = spine - cell * double(end - first) / 2;
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const double x = rowLeft + cell * double(i) + (cell - sizes[i].width()) / 2;
            rects.emplace_back(x, height + (rowHeight - sizes[i].height()) / 2, sizes[i].width(), sizes[i].height());
        }
        height += rowHeight;
    }
    return rects;
}

} // namespace velmora
