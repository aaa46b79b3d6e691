#include "core/elements/EmbeddedImage.h"

#include "core/elements/ElementError.h"
#include "core/typedfiler/ITypedFiler.h"
#include "core/typedfiler/TypeTags.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QImageWriter>

namespace velmora {

namespace {
const QByteArray NoImage = QByteArrayLiteral("<none>");

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

QImage DecodePng(const QByteArray &bytes, TColorHandling colors)
{
    QImage image;
    if (bytes.isEmpty())
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

void WriteEmbeddedImage(ITypedFiler &filer, const QImage *image)
{
    if (image == nullptr) {
        filer.WriteString(NoImage);
        return;
    }
    QByteArray bytes = EncodePng(*image);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    filer.WriteStream(buffer, true);
}

std::unique_ptr<QImage> ReadEmbeddedImage(ITypedFiler &filer, TColorHandling colors)
{
    if (filer.PeekType() == static_cast<quint8>(TTypeTag::Stream)) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadWrite);
        filer.ReadStream(buffer);
        return std::make_unique<QImage>(DecodePng(bytes, colors));
    }
    if (filer.ReadString() != NoImage)
        throw EElementError(QStringLiteral("Unexpected blank image content"));
    return nullptr;
}

} // namespace velmora
