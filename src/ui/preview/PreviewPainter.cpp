#include "ui/preview/PreviewPainter.h"

#include "core/elements/FitRect.h"

#include <QBrush>
#include <QPainter>
#include <QPalette>
#include <QRegion>
#include <cmath>

namespace velmora {

TPreviewFit FitPreview(const QRect &bounds, const QSize &source, int zoomPercent)
{
    TPreviewFit fit;
    QSize shown;
    if (zoomPercent == PreviewZoomFit) {
        double scale = 1.0;
        TLayoutRect fitted;
        FitRect(TLayoutRect{0, 0, source.width(), source.height()}, TLayoutRect{0, 0, bounds.width(), bounds.height()},
            scale, fitted, FitFlags::ShrinkOnly);
        shown = QSize(fitted.Width, fitted.Height);
        // Halves go to the even neighbour, as the default rounding mode does.
        fit.ZoomPercent = static_cast<int>(std::nearbyint(scale * 100.0));
    } else {
        shown = QSize(source.width() * zoomPercent / 100, source.height() * zoomPercent / 100);
        fit.ZoomPercent = zoomPercent;
    }
    fit.Destination = QRect(bounds.x() + (bounds.width() - shown.width()) / 2,
        bounds.y() + (bounds.height() - shown.height()) / 2, shown.width(), shown.height());
    return fit;
}

QColor PreviewSurroundColor()
{
    return QColor(0x80, 0x80, 0x80);
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

void PaintPreview(QPainter &painter, const QRect &bounds, const TPreviewFit &fit, const QImage &frame, bool focused)
{
    painter.save();
    painter.setClipRegion(QRegion(bounds).subtracted(QRegion(fit.Destination)));
    painter.fillRect(bounds, PreviewSurroundColor());
    painter.restore();
    // The hatch lies under the frame, so a translucent background shows it instead of stale pixels.
    painter.fillRect(fit.Destination, PreviewHatchBrush());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(fit.Destination, frame);
    if (focused) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QPalette().color(QPalette::Highlight), 2));
        painter.drawRect(bounds.adjusted(1, 1, -1, -1));
        painter.restore();
    }
}

} // namespace velmora
