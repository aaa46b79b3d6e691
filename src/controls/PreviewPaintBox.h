#pragma once

#include <QWidget>

class QPainter;

namespace velmora {

// Opaque paint surface of the roll preview: never erases its background, takes the
// keyboard focus and hands painting, wheel, size and mouse events to its owner.
class TPreviewPaintBox : public QWidget
{
    Q_OBJECT
public:
    explicit TPreviewPaintBox(QWidget *parent = nullptr);

    // Painter on the box, prepared with the box's font and colour; valid only during OnPaint.
    QPainter *Canvas() const { return m_canvas; }
    QColor Color() const;
    void SetColor(const QColor &color);

Q_SIGNALS:
    // Raised on every paint; the handler must cover the whole box.
    void OnPaint(QObject *Sender);
    void OnMouseDown(QMouseEvent *event);
    void OnMouseMove(QMouseEvent *event);
    void OnMouseUp(QMouseEvent *event);
    void OnMouseWheel(QWheelEvent *event);
    void OnResize();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // The owner paints a focus frame; it must come and go with the focus.
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QPainter *m_canvas = nullptr;
};

} // namespace velmora
