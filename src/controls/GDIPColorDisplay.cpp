#include "controls/GDIPColorDisplay.h"

#include <QMouseEvent>
#include <QPainter>

namespace velmora {

TGDIPColorDisplay::TGDIPColorDisplay(QWidget *parent)
    : TGDIPWinControl(parent), m_checkerTile(MakeCheckerTile())
{
    if (!m_checkerTile.isNull()) {
        // Tiling with every other copy mirrored, across and down.
        m_checkerTexture = QImage(30, 30, QImage::Format_RGB888);
        QPainter tiler(&m_checkerTexture);
        tiler.drawImage(0, 0, m_checkerTile);
        tiler.drawImage(15, 0, m_checkerTile.mirrored(true, false));
        tiler.drawImage(0, 15, m_checkerTile.mirrored(false, true));
        tiler.drawImage(15, 15, m_checkerTile.mirrored(true, true));
    }
}

QImage TGDIPColorDisplay::MakeCheckerTile()
{
    QImage tile(15, 15, QImage::Format_RGB888);
    if (tile.isNull())
        return tile;
    tile.fill(QColor(255, 255, 255));
    QPainter painter(&tile);
    const QColor grey(128, 128, 128);
    // The second square runs off the tile's edge and so ends up 7 x 7 too;
    // row 7 and column 7 stay white.
    painter.fillRect(0, 0, 7, 7, grey);
    painter.fillRect(8, 8, 15, 15, grey);
    return tile;
}

void TGDIPColorDisplay::SetColor(quint32 color)
{
    m_color = color;
    update();
}

void TGDIPColorDisplay::DrawContent(QPainter &canvas)
{
    const QRect area = rect();
    if (!m_checkerTexture.isNull())
        canvas.fillRect(area, QBrush(m_checkerTexture));
    canvas.fillRect(area, QColor::fromRgba(m_color));
    canvas.setPen(QPen(QColor(153, 153, 153, 128), 1.0));
    canvas.setBrush(Qt::NoBrush);
    canvas.drawRect(QRect(0, 0, width() - 1, height() - 1));
}

void TGDIPColorDisplay::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT OnClick();
}

} // namespace velmora
