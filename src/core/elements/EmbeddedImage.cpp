#include "core/elements/EmbeddedImage.h"

#include "core/elements/ElementError.h"
#include "core/typedfiler/ITypedFiler.h"
#include "core/typedfiler/TypeTags.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QImageWriter>

#include <algorithm>

namespace velmora {

namespace {
const QByteArray NoImage = QByteArrayLiteral("<none>");

// The largest picture decoded: as large as the largest frame or strip drawn.
constexpr qint64 MaxPictureBytes = qint64(1) << 30;

} // namespace

qint64 DrawnPictureBytes(QSize size, QImage::Format format)
{
    const qint64 pixels = qint64(size.width()) * size.height();
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_Invalid:
        return pixels * 4;
    default:
        return pixels * 4 + pixels * std::max(1, QImage::toPixelFormat(format).bitsPerPixel() / 8);
    }
}

bool PictureTooLargeToDraw(QSize size, QImage::Format format)
{
    return size.isValid() && DrawnPictureBytes(size, format) > MaxPictureBytes;
}

namespace {

// Moves pixels into sRGB; formats the colour transform cannot work on are widened first.
void ConvertToSrgb(QImage &image)
{
    const QColorSpace space = image.colorSpace();
    if (!space.isValid() || space == QColorSpace(QColorSpace::SRgb))
        return;
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
        break;
    default:
        image.convertTo(image.depth() > 32 ? QImage::Format_RGBA64 : QImage::Format_ARGB32);
    }
    image.convertToColorSpace(QColorSpace::SRgb);
}
} // namespace

QByteArray EncodePng(const QImage &image)
{
    QByteArray bytes;
    if (image.isNull())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        bytes.clear();
    return bytes;
}

void RaiseImageAllocationLimit()
{
    static const bool raised = [] {
        QImageReader::setAllocationLimit(int(MaxPictureBytes >> 20));
        return true;
    }();
    (void)raised;
}

QSize StoredPictureSize(const QByteArray &storedBytes)
{
    QBuffer buffer;
    buffer.setData(storedBytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer, "png").size();
}

namespace {

bool TooLargeToDraw(const QByteArray &storedBytes)
{
    // Bytes that are no PNG at all are left to the decoder to refuse: asking libpng for their
    // header prints its complaint on stderr.
    if (!storedBytes.startsWith(QByteArrayLiteral("\x89PNG\r\n\x1a\n")))
        return false;
    QBuffer buffer;
    buffer.setData(storedBytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    const QSize size = reader.size();
    return size.isValid() && PictureTooLargeToDraw(size, reader.imageFormat());
}

} // namespace

QString PictureProblem(const QByteArray &storedBytes, const QImage *decoded)
{
    if (storedBytes.isEmpty() || (decoded && !decoded->isNull()))
        return QString();
    const QSize size = StoredPictureSize(storedBytes);
    if (TooLargeToDraw(storedBytes))
        return QStringLiteral("too large to display (%1 x %2 pixels)").arg(size.width()).arg(size.height());
    // Not decoded yet: a readable header is all there is to judge by.
    if (decoded == nullptr && size.isValid())
        return QString();
    return QStringLiteral("cannot be decoded");
}

QImage DecodePng(const QByteArray &bytes, TColorHandling colors)
{
    QImage image;
    if (bytes.isEmpty())
        return image;
    RaiseImageAllocationLimit();
    if (TooLargeToDraw(bytes))
        return image;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAutoTransform(false);
    if (!reader.read(&image))
        return QImage();
    if (colors == TColorHandling::Managed)
        ConvertToSrgb(image);
    else
        image.setColorSpace(QColorSpace());
    return image;
}

void WriteEmbeddedImage(ITypedFiler &filer, const QImage *image, const QByteArray &storedBytes)
{
    if (image == nullptr) {
        filer.WriteString(NoImage);
        return;
    }
    QByteArray bytes = storedBytes.isEmpty() ? EncodePng(*image) : storedBytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    filer.WriteStream(buffer, true);
}

std::unique_ptr<QImage> ReadEmbeddedImage(ITypedFiler &filer, TColorHandling colors, QByteArray *storedBytes, bool decode)
{
    if (storedBytes)
        storedBytes->clear();
    if (filer.PeekType() == static_cast<quint8>(TTypeTag::Stream)) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadWrite);
        filer.ReadStream(buffer);
        buffer.close();
        if (storedBytes)
            *storedBytes = bytes;
        if (!decode && storedBytes)
            return std::make_unique<QImage>();
        return std::make_unique<QImage>(DecodePng(bytes, colors));
    }
    if (filer.ReadString() != NoImage)
        throw EElementError(QStringLiteral("Unexpected blank image content"));
    return nullptr;
}

} // namespace velmora
