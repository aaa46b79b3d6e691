#pragma once

#include <QImage>
#include <QRect>

class QBrush;
class QPainter;

namespace velmora {

// Where the preview shows a frame and at which zoom.
struct TPreviewFit
{
    QRect Destination;
    int ZoomPercent = 0;
};

// Fits a frame of size source into bounds without enlarging it, anchored at the top-left.
TPreviewFit FitPreview(const QRect &bounds, const QSize &source);

// The large checkerboard that covers the preview area the frame leaves free.
QBrush PreviewHatchBrush();

// Draws frame fitted into bounds and the checkerboard to its right and below.
TPreviewFit PaintPreview(QPainter &painter, const QRect &bounds, const QSize &source, const QImage &frame);

} // namespace velmora
