#include "core/elements/ElementImage.h"

#include "core/elements/ElementKind.h"
#include "core/elements/EmbeddedImage.h"
#include "core/elements/FitRect.h"
#include "core/elements/PictureCache.h"
#include "core/typedfiler/CodePage.h"

#include <QPainter>

namespace velmora {

constinit const TElementKind TVmElementImage::Kind{
    "TVmElementImage", []() -> std::unique_ptr<IElement> { return std::make_unique<TVmElementImage>(); }};

int TVmElementImage::GetImageIndex(int, TTreeImageKind kind) const
{
    return kind == ikNormal || kind == ikSelected ? 4 : -1;
}

void TVmElementImage::LoadFromFile(const QString &fileName)
{
    if (IsVectorPictureFile(fileName))
        AssignVector(LoadVectorPictureFile(fileName), fileName);
    else  // elements naming one file share its pixels until one of them changes
        AssignImage(TPictureCache::Picture(fileName), fileName);
}

QString TVmElementImage::PictureProblem() const
{
    if (!m_vector.Problem.isEmpty())
        return m_vector.Problem;
    return velmora::PictureProblem(m_imageBytes, m_image.get());
}

void TVmElementImage::AssignVector(std::shared_ptr<const TVectorPicture> picture, const QString &fileName)
{
    AssignImage(picture->Preview(), fileName);
    m_width = picture->PixelSize().width();
    m_height = picture->PixelSize().height();
    m_vector.Bytes = picture->Bytes();
    m_vector.Picture = std::move(picture);
}

void TVmElementImage::AssignImage(const QImage &image, const QString &fileName)
{
    m_image = std::make_unique<QImage>(image);
    m_imageBytes.clear();
    m_vector = TStoredVector();
    m_width = m_image->width();
    m_height = m_image->height();
    m_specificDims = false;
    m_fileName = ToSystemCodePage(fileName);
    SetCaption(-1, FileNamePart(fileName));
}

void TVmElementImage::Render(QPainter &graphics, TLayoutRect &rect, quint8 flags)
{
    const QSize natural = m_vector.Picture ? m_vector.Picture->PixelSize() : m_image ? m_image->size() : QSize(0, 0);
    const qint32 naturalWidth = natural.width();
    const qint32 naturalHeight = natural.height();
    rect.Height = m_useFixedHeight ? m_fixedHeight : naturalHeight;

    QRect drawn;
    if (m_image) {
        qint32 drawnWidth = m_width;
        qint32 drawnHeight = m_height;
        if (m_specificDims) {
            rect.Height = m_height;
        } else {
            double scale = 0.0;
            TLayoutRect fitted;
            FitRect(TLayoutRect{0, 0, naturalWidth, naturalHeight}, rect, scale, fitted, 0);
            drawnWidth = fitted.Width;
            drawnHeight = fitted.Height;
        }
        rect.Y = SaturatingAdd(rect.Y, m_topOffset);
        qint32 x = rect.X;
        if (m_hAlign == eaCenter)
            x = SaturatingAdd(x, (qint64(rect.Width) - drawnWidth) / 2);
        else if (m_hAlign == eaRight)
            x = SaturatingAdd(x, qint64(rect.Width) - drawnWidth);
        qint32 y = rect.Y;
        if (m_vAlign == eaMiddle)
            y = SaturatingAdd(y, (qint64(rect.Height) - drawnHeight) / 2);
        else if (m_vAlign == eaBottom)
            y = SaturatingAdd(y, qint64(rect.Height) - drawnHeight);
        drawn = SafeRect(x, y, drawnWidth, drawnHeight);
    }

    const bool placeholders = flags & DrawFlags::ShowPlaceholders;
    const QRect area = placeholders ? drawn.united(PlaceholderArea(rect)) : drawn;
    if (!CanSkipPainting(graphics, area, flags)) {
        // A vector picture is drawn at the frame's own resolution, never resampled.
        if (m_vector.Picture)
            m_vector.Picture->Draw(graphics, drawn);
        else if (m_image)
            m_scaled.Draw(graphics, drawn, *m_image);
        DrawPlaceholder(graphics, rect, flags);
    }
    rect.Y = SaturatingAdd(rect.Y, rect.Height);
}

} // namespace velmora
