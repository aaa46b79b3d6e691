#include "core/elements/ElementProject.h"

#include "core/elements/ElementKinds.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementImage.h"
#include "core/elements/ElementText.h"
#include "core/typedfiler/CodePage.h"

#include <QPainter>

namespace velmora {

namespace {
constexpr qint32 WrapTileFlipX = 1;
constexpr qint32 WrapTileFlipY = 2;
constexpr qint32 WrapTileFlipXY = 3;
constexpr qint32 WrapFitToFilm = 4;
} // namespace

constinit const TElementKind TVmElementProject::Kind{
    "TVmElementProject", []() -> std::unique_ptr<IElement> { return std::make_unique<TVmElementProject>(); }};

void TVmElementProject::GetCaption(int column, QString &caption) const
{
    if (column == -1)
        caption = FromSystemCodePage(m_name);
}

int TVmElementProject::GetImageIndex(int column, TTreeImageKind) const
{
    return column == -1 ? 0 : -1;
}

std::vector<const TElementKind *> TVmElementProject::GetChildClasses() const
{
    return {&TVmElementText::Kind, &TVmElementColumns::Kind, &TVmElementImage::Kind};
}

bool TVmElementProject::SetCaption(int, const QString &caption)
{
    m_name = ToSystemCodePage(caption);
    return true;
}

void TVmElementProject::LoadBackground(const QString &fileName)
{
    m_background = std::make_unique<QImage>(LoadImageFile(fileName));
}

void TVmElementProject::Render(QPainter &graphics, TLayoutRect &rect, quint8)
{
    const QRect area = ToQRect(rect);
    graphics.fillRect(area, ColorFromArgb(m_backColor));
    if (!m_background || m_background->isNull())
        return;
    if (m_wrapMode == WrapFitToFilm) {
        m_stretched.Draw(graphics, area, *m_background);
        return;
    }
    // The brush has no transform and the painter none either, so tiles start at the frame's corner.
    graphics.fillRect(area, QBrush(TileTexture()));
}

// One period of the tiling: the picture, with mirrored copies beside and below it for the flip modes.
const QImage &TVmElementProject::TileTexture()
{
    if (!m_tile.isNull() && m_tileSourceKey == m_background->cacheKey() && m_tileWrapMode == m_wrapMode)
        return m_tile;
    const QImage source = m_background->convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Modes the brush does not know leave it tiling plainly.
    const bool flipX = m_wrapMode == WrapTileFlipX || m_wrapMode == WrapTileFlipXY;
    const bool flipY = m_wrapMode == WrapTileFlipY || m_wrapMode == WrapTileFlipXY;
    const int w = source.width();
    const int h = source.height();
    QImage tile(flipX ? 2 * w : w, flipY ? 2 * h : h, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    {
        QPainter painter(&tile);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, source);
        if (flipX)
            painter.drawImage(w, 0, source.mirrored(true, false));
        if (flipY)
            painter.drawImage(0, h, source.mirrored(false, true));
        if (flipX && flipY)
            painter.drawImage(w, h, source.mirrored(true, true));
    }
    m_tile = tile;
    m_tileSourceKey = m_background->cacheKey();
    m_tileWrapMode = m_wrapMode;
    return m_tile;
}

} // namespace velmora
