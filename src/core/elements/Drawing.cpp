#include "core/elements/Drawing.h"

#include "core/elements/EmbeddedImage.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <unordered_map>

namespace velmora {

namespace {
// Above this many pixels a rescaled copy would cost more memory than it saves time.
constexpr qint64 MaxCachedScalePixels = qint64(4096) * 4096;

// The scaled copies of every TScaledImageCache, under one budget. Process-wide because the
// caches live in elements, which draw through a fixed interface that carries no context;
// the mutex keeps renders on different threads (tests, the editor and a run) apart.
class TScaledImageStore
{
public:
    static TScaledImageStore &Instance()
    {
        static TScaledImageStore store;
        return store;
    }

    // The copy kept for owner when it matches source and size; null otherwise.
    QImage Find(const void *owner, qint64 sourceKey, QSize size)
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_entries.find(owner);
        if (it == m_entries.end() || it->second.SourceKey != sourceKey || it->second.Image.size() != size)
            return QImage();
        it->second.LastUse = ++m_clock;
        return it->second.Image;
    }

    // Keeps image for owner in place of its earlier copy, dropping the least recently drawn
    // copies of others until the budget holds it.
    void Keep(const void *owner, qint64 sourceKey, const QImage &image)
    {
        std::lock_guard lock(m_mutex);
        ForgetLocked(owner);
        const qint64 bytes = image.sizeInBytes();
        if (bytes > TScaledImageCache::BudgetBytes)
            return;
        DropLeastRecentlyUsed(m_entries, bytes, TScaledImageCache::BudgetBytes, m_bytes);
        m_entries[owner] = {image, sourceKey, ++m_clock};
        m_bytes += bytes;
    }

    void Forget(const void *owner)
    {
        std::lock_guard lock(m_mutex);
        ForgetLocked(owner);
    }

    qint64 Bytes()
    {
        std::lock_guard lock(m_mutex);
        return m_bytes;
    }

private:
    struct TEntry
    {
        QImage Image;
        qint64 SourceKey = 0;
        quint64 LastUse = 0;
    };

    void ForgetLocked(const void *owner)
    {
        const auto it = m_entries.find(owner);
        if (it == m_entries.end())
            return;
        m_bytes -= it->second.Image.sizeInBytes();
        m_entries.erase(it);
    }

    std::mutex m_mutex;
    std::unordered_map<const void *, TEntry> m_entries;
    qint64 m_bytes = 0;
    quint64 m_clock = 0;
};
} // namespace

qint32 RoundHalfEven(double value)
{
    // The default floating-point rounding mode is to nearest, ties to even. Values beyond
    // the 32-bit range (and NaN) would be undefined to convert: they saturate.
    const double rounded = std::nearbyint(value);
    if (!(rounded == rounded))
        return 0;
    if (rounded <= double(INT32_MIN))
        return INT32_MIN;
    if (rounded >= double(INT32_MAX))
        return INT32_MAX;
    return static_cast<qint32>(rounded);
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

QRect SafeRect(qint64 x, qint64 y, qint64 width, qint64 height)
{
    static constexpr qint64 Limit = (qint64(1) << 30) - 1;
    const qint64 left = std::clamp(x, -Limit, Limit);
    const qint64 top = std::clamp(y, -Limit, Limit);
    // A size of 0 (or less) stays 0: the outline of an empty element is still drawn as a line.
    const qint64 right = std::clamp(left + std::max<qint64>(width, 0) - 1, left - 1, Limit);
    const qint64 bottom = std::clamp(top + std::max<qint64>(height, 0) - 1, top - 1, Limit);
    return QRect(QPoint(int(left), int(top)), QPoint(int(right), int(bottom)));
}

QRect PlaceholderArea(const TLayoutRect &rect)
{
    return SafeRect(rect.X, rect.Y, qint64(rect.Width) + 1, qint64(rect.Height) + 1);
}

bool CanSkipPainting(const QPainter &graphics, const QRect &area, quint8 flags)
{
    if (flags & DrawFlags::MeasureOnly)
        return true;
    if (!(flags & DrawFlags::SkipInvisible))
        return false;
    const QPaintDevice *device = graphics.device();
    if (device == nullptr)
        return false;
    QRect reach = area.normalized();
    const QTransform &transform = graphics.worldTransform();
    if (transform.type() != QTransform::TxNone)
        reach = transform.mapRect(reach);
    if (reach.isEmpty())
        return true;
    // One pixel of slack keeps anti-aliased edges that spill over the area; in 64 bits, so
    // edges near the 32-bit limits cannot wrap.
    const qint64 left = qint64(reach.left()) - 1;
    const qint64 top = qint64(reach.top()) - 1;
    const qint64 right = qint64(reach.right()) + 1;
    const qint64 bottom = qint64(reach.bottom()) + 1;
    // Most hidden elements lie above or below the frame, so that test comes first.
    if (bottom < 0 || top >= device->height())
        return true;
    return right < 0 || left >= device->width();
}

QImage LoadImageFile(const QString &fileName, QSize drawn)
{
    // A FIFO or a device would block the reader or never end: only regular files are pictures.
    if (!QFileInfo(fileName).isFile())
        return QImage();
    RaiseImageAllocationLimit();
    QImageReader reader(fileName);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isValid() && PictureTooLargeToDraw(size, reader.imageFormat()))
        return QImage();
    if (size.isValid() && drawn.isValid() && !drawn.isEmpty() && drawn.width() < size.width() && drawn.height() < size.height())
        reader.setScaledSize(drawn);
    QImage image;
    if (!reader.read(&image))
        return QImage();
    return image;
}

QSize PictureFileSize(const QString &fileName)
{
    if (!QFileInfo(fileName).isFile())
        return QSize();
    QImageReader reader(fileName);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || PictureTooLargeToDraw(size, reader.imageFormat()))
        return QSize();
    return size;
}

QString FileNamePart(const QString &path)
{
    // A drive letter ("C:picture.png") ends at its colon just as a folder ends at its slash.
    const qsizetype delimiter = std::max({path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')),
        path.lastIndexOf(QLatin1Char(':'))});
    return delimiter < 0 ? path : path.mid(delimiter + 1);
}

TScaledImageCache::~TScaledImageCache()
{
    TScaledImageStore::Instance().Forget(this);
}

qint64 TScaledImageCache::BytesHeld()
{
    return TScaledImageStore::Instance().Bytes();
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
    TScaledImageStore &store = TScaledImageStore::Instance();
    QImage scaled = store.Find(this, source.cacheKey(), target.size());
    if (scaled.isNull()) {
        scaled = source.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        store.Keep(this, source.cacheKey(), scaled);
    }
    graphics.drawImage(target.topLeft(), scaled);
}

} // namespace velmora
