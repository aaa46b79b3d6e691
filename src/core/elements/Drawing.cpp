#include "core/elements/Drawing.h"

#include <QImageReader>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {
// Above this many pixels a rescaled copy would cost more memory than it saves time.
constexpr qint64 MaxCachedScalePixels = qint64(4096) * 4096;
} // namespace

qint32 RoundHalfEven(double value)
{
    // The default floating-point rounding mode is to nearest, ties to even.
    return static_cast<qint32>(std::nearbyint(value));
}

void DrawPlaceholder(QPainter &graphics, const TLayoutRect &rect, quint8 flags)
{
    if (!(flags & DrawFlags::ShowPlaceholders))
        return;
    const TArgb color = (flags & DrawFlags::Focused) ? 0xFFFFFFFFu : 0x99808080u;
    graphics.save();
    graphics.setRenderHint(QPainter::Antialiasing, false);
    graphics.setPen(QPen(ColorFromArgb(color), 1.0));
    graphics.setBrush(Qt::NoBrush);
    graphics.drawRect(ToQRect(rect));
    graphics.restore();
}

QRect PlaceholderArea(const TLayoutRect &rect)
{
    return QRect(rect.X, rect.Y, rect.Width + 1, rect.Height + 1);
}

bool CanSkipPainting(const QPainter &graphics, const QRect &area, quint8 flags)
{
    if (!(flags & DrawFlags::SkipInvisible))
        return false;
    const QPaintDevice *device = graphics.device();
    if (device == nullptr)
        return false;
    QRect reach = area.normalized();
    const QTransform &transform = graphics.worldTransform();
    if (transform.type() != QTransform::TxNone)
        reach = transform.mapRect(reach);
    // One pixel of slack keeps anti-aliased edges that spill over the area.
    reach.adjust(-1, -1, 1, 1);
    // Most hidden elements lie above or below the frame, so that test comes first.
    if (reach.bottom() < 0 || reach.top() >= device->height())
        return true;
    return reach.right() < 0 || reach.left() >= device->width() || reach.isEmpty();
}

QImage LoadImageFile(const QString &fileName)
{
    QImageReader reader(fileName);
    reader.setAutoTransform(false);
    QImage image;
    if (!reader.read(&image))
        return QImage();
    return image;
}

QString FileNamePart(const QString &path)
{
    // A drive letter ("C:picture.png") ends at its colon just as a folder ends at its slash.
    const qsizetype delimiter = std::max({path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')),
        path.lastIndexOf(QLatin1Char(':'))});
    return delimiter < 0 ? path : path.mid(delimiter + 1);
}

void TScaledImageCache::Draw(QPainter &graphics, const QRect &target, const QImage &source)
{
    if (source.isNull() || target.width() <= 0 || target.height() <= 0)
        return;
    if (qint64(target.width()) * target.height() > MaxCachedScalePixels) {
        graphics.save();
        graphics.setRenderHint(QPainter::SmoothPixmapTransform, true);
        graphics.drawImage(target, source);
        graphics.restore();
        return;
    }
    if (m_scaled.isNull() || m_sourceKey != source.cacheKey() || m_size != target.size()) {
        m_scaled = source.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        m_sourceKey = source.cacheKey();
        m_size = target.size();
    }
    graphics.drawImage(target.topLeft(), m_scaled);
}

} // namespace velmora
