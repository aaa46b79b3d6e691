#include "core/elements/ElementProject.h"

#include "core/elements/ElementKind.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementImage.h"
#include "core/elements/EmbeddedImage.h"
#include "core/elements/ElementText.h"
#include "core/typedfiler/CodePage.h"

#include <QPainter>
#include <algorithm>

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

bool TVmElementProject::SetCaption(int, const QString &caption)
{
    m_name = ToSystemCodePage(caption);
    return true;
}

void TVmElementProject::LoadBackground(const QString &fileName)
{
    if (IsVectorPictureFile(fileName)) {
        AssignBackgroundVector(LoadVectorPictureFile(fileName));
        return;
    }
    m_backgroundVector = TStoredVector();
    m_background = std::make_unique<QImage>(LoadImageFile(fileName));
    m_backgroundBytes.clear();
    m_backgroundPending = false;
}

void TVmElementProject::AssignBackgroundVector(std::shared_ptr<const TVectorPicture> picture)
{
    m_background = std::make_unique<QImage>(picture->Preview());
    m_backgroundVector.Bytes = picture->Bytes();
    m_backgroundVector.Picture = std::move(picture);
    m_backgroundVector.Problem.clear();
    m_backgroundBytes.clear();
    m_backgroundPending = false;
}

const QImage *TVmElementProject::GetBackground() const
{
    if (m_backgroundPending) {
        m_backgroundPending = false;
        *m_background = DecodePng(m_backgroundBytes, TColorHandling::Ignored);
    }
    return m_background.get();
}

QString TVmElementProject::BackgroundProblem() const
{
    // Undecoded, only the header is judged; decoding to find more would cost what it saves.
    if (!m_backgroundVector.Problem.isEmpty())
        return m_backgroundVector.Problem;
    return PictureProblem(m_backgroundBytes, m_backgroundPending ? nullptr : m_background.get());
}

QSize TVmElementProject::BackgroundSize() const
{
    if (!m_background)
        return QSize();
    if (m_backgroundVector.Picture)
        return m_backgroundVector.Picture->PixelSize();
    if (m_backgroundPending) {
        const QSize size = StoredPictureSize(m_backgroundBytes);
        return size.isValid() ? size : QSize(0, 0);
    }
    return m_background->size();
}

void TVmElementProject::Render(QPainter &graphics, TLayoutRect &rect, quint8 flags)
{
    if (flags & DrawFlags::MeasureOnly)
        return;
    const QRect area = ToQRect(rect);
    graphics.fillRect(area, ColorFromArgb(m_backColor));
    const QImage *background = GetBackground();
    if (!background || background->isNull())
        return;
    if (m_wrapMode == WrapFitToFilm) {
        if (m_backgroundVector.Picture)
            m_backgroundVector.Picture->Draw(graphics, area);
        else
            m_stretched.Draw(graphics, area, *m_background);
        return;
    }
    // The brush has no transform and the painter none either, so tiles start at the frame's corner.
    graphics.fillRect(area, QBrush(TileTexture(area.size())));
}

// One period of the tiling: the picture, with mirrored copies beside and below it for the
// flip modes. A period larger than the frame never repeats within it, so only the part the
// frame shows is built: a mirrored 5600 x 5600 picture would otherwise take 500 MB.
const QImage &TVmElementProject::TileTexture(QSize frame)
{
    if (!m_tile.isNull() && m_tileSourceKey == m_background->cacheKey() && m_tileWrapMode == m_wrapMode && m_tileFrame == frame)
        return m_tile;
    const QImage &source = *m_background;
    // Modes the brush does not know leave it tiling plainly.
    const bool flipX = m_wrapMode == WrapTileFlipX || m_wrapMode == WrapTileFlipXY;
    const bool flipY = m_wrapMode == WrapTileFlipY || m_wrapMode == WrapTileFlipXY;
    const int w = source.width();
    const int h = source.height();
    const int periodWidth = flipX ? 2 * w : w;
    const int periodHeight = flipY ? 2 * h : h;
    QImage tile(std::min(periodWidth, std::max(frame.width(), 1)), std::min(periodHeight, std::max(frame.height(), 1)),
                QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    {
        // Mirrored by the painter rather than by mirrored copies of the whole picture.
        QPainter painter(&tile);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        const auto place = [&](int x, int y, bool mirrorX, bool mirrorY) {
            if (x >= tile.width() || y >= tile.height())
                return;
            painter.save();
            painter.translate(mirrorX ? x + w : x, mirrorY ? y + h : y);
            painter.scale(mirrorX ? -1 : 1, mirrorY ? -1 : 1);
            painter.drawImage(0, 0, source);
            painter.restore();
        };
        place(0, 0, false, false);
        if (flipX)
            place(w, 0, true, false);
        if (flipY)
            place(0, h, false, true);
        if (flipX && flipY)
            place(w, h, true, true);
    }
    m_tile = tile;
    m_tileSourceKey = m_background->cacheKey();
    m_tileWrapMode = m_wrapMode;
    m_tileFrame = frame;
    return m_tile;
}

} // namespace velmora
