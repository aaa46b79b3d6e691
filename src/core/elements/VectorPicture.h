#pragma once

#include "core/elements/EmbeddedImage.h"

#include <QByteArray>
#include <QImage>
#include <QPicture>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <memory>
#include <mutex>

class QPainter;
class QSvgRenderer;
namespace Poppler {
class Document;
}

namespace velmora {

class ITypedFiler;

// A picture kept as drawing instructions, SVG or the first page of a PDF, drawn at whatever
// size the frame asks for instead of resampled from pixels. Its original bytes are what the
// project stores.
class TVectorPicture
{
public:
    enum class TKind { Svg, Pdf };

    // Reads bytes as SVG or PDF, by their content. A file that could make drawing hang, run out
    // of memory or reach outside the project (entities, external references, extreme sizes or
    // nesting, a parse that takes too long) throws EElementError naming name and the reason;
    // nothing is ever fetched.
    static std::shared_ptr<const TVectorPicture> FromBytes(const QByteArray &bytes, const QString &name);

    ~TVectorPicture();
    TVectorPicture(const TVectorPicture &) = delete;
    TVectorPicture &operator=(const TVectorPicture &) = delete;

    TKind Kind() const { return m_kind; }
    const QByteArray &Bytes() const { return m_bytes; }
    // Its own size in pixels: SVG's width and height (else its view box), a PDF page's points.
    QSizeF NaturalSize() const { return m_size; }

    // Draws the picture into target in painter's coordinates, as vectors: on a PDF painter the
    // paths stay paths. Safe from several threads (they take turns).
    void Draw(QPainter &painter, const QRectF &target) const;
    // Pixels of it at size, transparent around the drawing.
    QImage Rasterized(QSize size) const;
    // Pixels of it at its natural size, at most 2048 a side: what thumbnails and size
    // questions take where a picture is asked for as pixels.
    QImage Preview() const;
    // The natural size in whole pixels, at least 1 x 1.
    QSize PixelSize() const;

private:
    TVectorPicture() = default;

    TKind m_kind = TKind::Svg;
    QByteArray m_bytes;
    QSizeF m_size;
    std::unique_ptr<QSvgRenderer> m_svg;
    std::unique_ptr<Poppler::Document> m_pdf;  // while the page is read
    QPicture m_page;  // the PDF's first page as painter commands, in points
    mutable std::mutex m_drawing;
};

// A picture slot's vector content as stored: its bytes always, the picture when they were
// taken, or why they were not.
struct TStoredVector
{
    QByteArray Bytes;
    std::shared_ptr<const TVectorPicture> Picture;
    QString Problem;
};

// The String that starts a vector picture record: after it comes a Stream of the original
// bytes. Raster pictures are a Stream alone, so projects without vectors keep their bytes.
inline constexpr char VectorPictureMark[] = "<vector>";
void WriteVectorPicture(ITypedFiler &filer, const QByteArray &bytes);
// Reads the Stream after the mark; a refused file is kept with its problem, never thrown.
TStoredVector ReadVectorPicture(ITypedFiler &filer);

// A picture slot of a record, raster or vector. Writes the vector when vector holds bytes,
// otherwise what WriteEmbeddedImage writes.
void WritePictureSlot(ITypedFiler &filer, const QImage *image, const QByteArray &storedBytes, const TStoredVector &vector);
// Reads what WritePictureSlot wrote: a raster picture as ReadEmbeddedImage reads it, or a
// vector into vector with its preview as the image. vector is cleared first.
std::unique_ptr<QImage> ReadPictureSlot(ITypedFiler &filer, TColorHandling colors, QByteArray *storedBytes, bool decode,
                                        TStoredVector &vector);

// True when a file's name or first bytes say SVG or PDF.
bool IsVectorPictureFile(const QString &fileName);
bool IsVectorPictureBytes(const QByteArray &bytes);

// Reads a vector picture file; throws EElementError for a file that is refused or unreadable.
std::shared_ptr<const TVectorPicture> LoadVectorPictureFile(const QString &fileName);

// The largest vector picture file taken.
inline constexpr qint64 MaxVectorPictureBytes = 16 << 20;

} // namespace velmora
