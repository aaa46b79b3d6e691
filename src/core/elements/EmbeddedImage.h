#pragma once

#include <QByteArray>
#include <QImage>
#include <memory>

namespace velmora {

class ITypedFiler;

// How an embedded picture's own colour profile is treated when it is decoded.
enum class TColorHandling {
    // Pixels are converted from the embedded colour space to sRGB, so they show as intended.
    Managed,
    // The embedded colour space is dropped; pixels are taken as stored.
    Ignored,
};

// PNG bytes of image; empty when the image cannot be encoded (a null image).
QByteArray EncodePng(const QImage &image);

// Decodes PNG bytes; bytes that do not decode give a null (0 x 0) image.
QImage DecodePng(const QByteArray &bytes, TColorHandling colors);

// Writes an optional picture: a Stream value of PNG bytes, or the String "<none>" for none.
void WriteEmbeddedImage(ITypedFiler &filer, const QImage *image);

// Reads what WriteEmbeddedImage wrote; null for "<none>". Any other String fails with
// "Unexpected blank image content".
std::unique_ptr<QImage> ReadEmbeddedImage(ITypedFiler &filer, TColorHandling colors);

} // namespace velmora
