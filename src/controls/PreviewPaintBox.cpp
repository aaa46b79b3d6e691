#include "controls/PreviewPaintBox.h"

#include <QPainter>
#include <QScopedValueRollback>
#include <QWheelEvent>

namespace velmora {

TPreviewPaintBox::TPreviewPaintBox(QWidget *parent) : QWidget(parent)
{
    // The paint handler covers the whole box, so no background is erased beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::WheelFocus);
}

QColor TPreviewPaintBox::Color() const
{
    return palette().color(QPalette::Window);
}

void TPreviewPaintBox::SetColor(const QColor &color)
{
    QPalette colors = palette();
    colors.setColor(QPalette::Window, color);
    setPalette(colors);
    update();
}

void TPreviewPaintBox::paintEvent(QPaintEvent *)
{
    QPainter canvas(this);
    canvas.setFont(font());
    canvas.setBrush(Color());
    const QScopedValueRollback current(m_canvas, &canvas);
    Q_EMIT OnPaint(this);
}

void TPreviewPaintBox::mousePressEvent(QMouseEvent *event)
{
    Q_EMIT OnMouseDown(event);
}

void TPreviewPaintBox::mouseMoveEvent(QMouseEvent *event)
{
    Q_EMIT OnMouseMove(event);
}

void TPreviewPaintBox::mouseReleaseEvent(QMouseEvent *event)
{
    Q_EMIT OnMouseUp(event);
}

void TPreviewPaintBox::wheelEvent(QWheelEvent *event)
{
    Q_EMIT OnMouseWheel(event);
}

void TPreviewPaintBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Q_EMIT OnResize();
}

void TPreviewPaintBox::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void TPreviewPaintBox::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

} // namespace velmora
