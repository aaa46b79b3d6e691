#pragma once

#include <QImage>
#include <QWidget>

class QPainter;

namespace velmora {

// A widget that paints itself into a persistent ARGB buffer and then shows the buffer.
// The buffer is kept between paints and is only recreated, transparent, on a size change.
class TGDIPWinControl : public QWidget
{
    Q_OBJECT
public:
    explicit TGDIPWinControl(QWidget *parent = nullptr);
    ~TGDIPWinControl() override;

    // Makes sure the buffer exists and has the widget's size.
    virtual void EnsureBuffer();
    // Releases the buffer.
    virtual void FreeBuffer();
    // The off-screen surface; null before the first paint.
    const QImage &Buffer() const { return m_buffer; }

protected:
    // Draws the content into the buffer; the base draws a large checkerboard.
    virtual void DrawContent(QPainter &canvas);
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_buffer;
};

// General-purpose buffered surface whose content is drawn by its OnPaint handlers.
class TGDIPCanvas : public TGDIPWinControl
{
    Q_OBJECT
public:
    explicit TGDIPCanvas(QWidget *parent = nullptr);

    // The painter on the buffer while OnPaint runs; null otherwise.
    QPainter *Canvas() const { return m_canvas; }

Q_SIGNALS:
    // Draw the content here; whatever is not drawn keeps what the buffer held.
    void OnPaint(QPainter *Canvas);
    void OnClick();
    void OnDblClick();
    void OnMouseDown(QMouseEvent *event);
    void OnMouseMove(QMouseEvent *event);
    void OnMouseUp(QMouseEvent *event);
    void OnMouseWheel(QWheelEvent *event);
    void OnResize();

protected:
    void DrawContent(QPainter &canvas) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPainter *m_canvas = nullptr;
};

} // namespace velmora
