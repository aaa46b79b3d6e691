#include "controls/GPWinControl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>

namespace velmora {

TGDIPWinControl::TGDIPWinControl(QWidget *parent) : QWidget(parent)
{
    // Nothing is erased behind the control: the parent's painting shows beneath a
    // transparent buffer.
    setAutoFillBackground(false);
}

TGDIPWinControl::~TGDIPWinControl()
{
    FreeBuffer();
}

void TGDIPWinControl::EnsureBuffer()
{
    if (m_buffer.isNull() || m_buffer.size() != size()) {
        FreeBuffer();
        m_buffer = QImage(qMax(width(), 1), qMax(height(), 1), QImage::Format_ARGB32);
        m_buffer.fill(Qt::transparent);
    }
}

void TGDIPWinControl::FreeBuffer()
{
    m_buffer = QImage();
}

void TGDIPWinControl::DrawContent(QPainter &canvas)
{
    // Large checkerboard: 4-pixel squares of translucent white over transparent.
    QImage tile(8, 8, QImage::Format_ARGB32);
    tile.fill(Qt::transparent);
    {
        QPainter tilePainter(&tile);
        tilePainter.setCompositionMode(QPainter::CompositionMode_Source);
        const QColor ink(255, 255, 255, 153);
        tilePainter.fillRect(0, 0, 4, 4, ink);
        tilePainter.fillRect(4, 4, 4, 4, ink);
    }
    canvas.fillRect(rect(), QBrush(tile));
}

void TGDIPWinControl::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    EnsureBuffer();
    {
        // The buffer is not cleared: what DrawContent leaves alone keeps the last paint.
        QPainter canvas(&m_buffer);
        DrawContent(canvas);
    }
    QPainter window(this);
    window.drawImage(QPoint(0, 0), m_buffer);
}

TGDIPCanvas::TGDIPCanvas(QWidget *parent) : TGDIPWinControl(parent) {}

void TGDIPCanvas::DrawContent(QPainter &canvas)
{
    const QScopedValueRollback current(m_canvas, &canvas);
    Q_EMIT OnPaint(&canvas);
}

void TGDIPCanvas::mousePressEvent(QMouseEvent *event)
{
    Q_EMIT OnMouseDown(event);
}

void TGDIPCanvas::mouseMoveEvent(QMouseEvent *event)
{
    Q_EMIT OnMouseMove(event);
}

void TGDIPCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    Q_EMIT OnMouseUp(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT OnClick();
}

void TGDIPCanvas::mouseDoubleClickEvent(QMouseEvent *)
{
    Q_EMIT OnDblClick();
}

void TGDIPCanvas::wheelEvent(QWheelEvent *event)
{
    Q_EMIT OnMouseWheel(event);
}

void TGDIPCanvas::resizeEvent(QResizeEvent *event)
{
    TGDIPWinControl::resizeEvent(event);
    Q_EMIT OnResize();
}

} // namespace velmora
