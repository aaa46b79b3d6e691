#include "ui/PreviewPainter.h"

#include "core/elements/FitRect.h"

#include <QBrush>
#include <QPainter>
#include <cmath>

namespace velmora {

TPreviewFit FitPreview(const QRect &bounds, const QSize &source)
{
    double scale = 1.0;
    TLayoutRect fitted;
    FitRect(TLayoutRect{0, 0, source.width(), source.height()}, TLayoutRect{0, 0, bounds.width(), bounds.height()},
        scale, fitted, FitFlags::ShrinkOnly);
    TPreviewFit fit;
    fit.Destination = QRect(fitted.X, fitted.Y, fitted.Width, fitted.Height);
    // Halves go to the even neighbour, as the default rounding mode does.
    fit.ZoomPercent = static_cast<int>(std::nearbyint(scale * 100.0));
    return fit;
}

QBrush PreviewHatchBrush()
{
    // An 8 x 8 tile of 4 x 4 squares, light grey on white.
    QImage tile(8, 8, QImage::Format_ARGB32);
    tile.fill(QColor::fromRgba(0xFFFFFFFF));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if ((x < 4) == (y < 4))
                tile.setPixel(x, y, 0xFFCCCCCC);
    return QBrush(tile);
}

TPreviewFit PaintPreview(QPainter &painter, const QRect &bounds, const QSize &source, const QImage &frame)
{
    const TPreviewFit fit = FitPreview(bounds, source);
    // The hatch also lies under the frame, so a translucent background shows it instead of stale pixels.
    painter.fillRect(bounds, PreviewHatchBrush());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(fit.Destination, frame);
    return fit;
}

} // namespace velmora
