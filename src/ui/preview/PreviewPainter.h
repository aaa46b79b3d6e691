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

// The zoom choices of the preview; Fit shrinks the frame to the box but never enlarges it.
inline constexpr int PreviewZoomFit = 0;

// Places a frame of size source in bounds at zoomPercent (PreviewZoomFit: shrunk to fit),
// centred; a frame larger than bounds overhangs it evenly on both sides.
TPreviewFit FitPreview(const QRect &bounds, const QSize &source, int zoomPercent = PreviewZoomFit);

// The neutral grey around the frame: it neither competes with the roll's colours nor looks
// like part of the picture.
QColor PreviewSurroundColor();

// The checkerboard under the frame, shown through a translucent background.
QBrush PreviewHatchBrush();

// Draws frame at fit.Destination on the checkerboard, the rest of bounds in the surround grey,
// and a focus frame around the box edge when focused.
void PaintPreview(QPainter &painter, const QRect &bounds, const TPreviewFit &fit, const QImage &frame, bool focused);

} // namespace velmora
