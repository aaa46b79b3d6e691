#pragma once

#include "controls/GPWinControl.h"

namespace velmora {

// Colour swatch: an ARGB colour over a checkerboard, with a light grey outline.
class TGDIPColorDisplay : public TGDIPWinControl
{
    Q_OBJECT
public:
    explicit TGDIPColorDisplay(QWidget *parent = nullptr);

    // Stores the colour and repaints.
    void SetColor(quint32 color);
    quint32 GetColor() const { return m_color; }

    // The 15 x 15 background tile shown through translucent colours.
    static QImage MakeCheckerTile();

Q_SIGNALS:
    void OnClick();

protected:
    void DrawContent(QPainter &canvas) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    quint32 m_color = 0x99FFFFFF;
    QImage m_checkerTile;
    QImage m_checkerTexture;
};

} // namespace velmora
