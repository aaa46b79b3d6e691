#pragma once

#include "core/elements/ElementTypes.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

namespace velmora {

// Rounds to the nearest integer, halves to even (12.5 -> 12, 13.5 -> 14).
qint32 RoundHalfEven(double value);

inline QColor ColorFromArgb(TArgb argb)
{
    return QColor::fromRgba(argb);
}

// A QRect of the given position and size. QRect keeps right = left + width - 1 and
// width = right - left + 1 in int, so crafted values near 2^31 would overflow there: edges
// are held within +-(2^30 - 1), far outside any frame.
QRect SafeRect(qint64 x, qint64 y, qint64 width, qint64 height);

inline QRect ToQRect(const TLayoutRect &rect)
{
    return SafeRect(rect.X, rect.Y, rect.Width, rect.Height);
}

// Outlines rect when placeholders are shown: white for the focused element, translucent grey otherwise.
void DrawPlaceholder(QPainter &graphics, const TLayoutRect &rect, quint8 flags);

// The pixels DrawPlaceholder may touch (the outline covers both edges).
QRect PlaceholderArea(const TLayoutRect &rect);

// True when flags allow skipping and nothing inside area can reach the painter's device.
bool CanSkipPainting(const QPainter &graphics, const QRect &area, quint8 flags);

// Decodes an image file, scaled to drawn when that is given; a file that cannot be read or
// decoded gives a null (0 x 0) image. Readers that can decode straight at a smaller size
// (JPEG) never hold the whole picture.
QImage LoadImageFile(const QString &fileName, QSize drawn = QSize());

// The size an image file's header gives, without decoding it; invalid for a file that is
// not regular, cannot be read or is too large to draw.
QSize PictureFileSize(const QString &fileName);

// The part of a path after its last "/" or "\", or the whole path without either.
QString FileNamePart(const QString &path);

// Drops the least recently used entries of a store of pictures (values with Image and
// LastUse) until bytes more fit within budget; held counts the bytes the store keeps.
template <class TEntries>
void DropLeastRecentlyUsed(TEntries &entries, qint64 bytes, qint64 budget, qint64 &held)
{
    while (held + bytes > budget && !entries.empty()) {
        auto oldest = entries.begin();
        for (auto it = entries.begin(); it != entries.end(); ++it)
            if (it->second.LastUse < oldest->second.LastUse)
                oldest = it;
        held -= oldest->second.Image.sizeInBytes();
        entries.erase(oldest);
    }
}

// The last smooth rescale of an image, kept while the source and the size stay the same.
// Every cache of the process shares one memory budget: when a new rescale would pass it,
// the copies drawn longest ago (those of elements off screen) are dropped first.
class TScaledImageCache
{
public:
    // Total bytes all scaled copies may hold together.
    static constexpr qint64 BudgetBytes = qint64(256) << 20;

    TScaledImageCache() = default;
    ~TScaledImageCache();
    TScaledImageCache(const TScaledImageCache &) = delete;
    TScaledImageCache &operator=(const TScaledImageCache &) = delete;

    // Draws source smoothly scaled into target; nothing for an empty source or target.
    void Draw(QPainter &graphics, const QRect &target, const QImage &source);

    // Bytes held by every cache of the process.
    static qint64 BytesHeld();
};

} // namespace velmora
