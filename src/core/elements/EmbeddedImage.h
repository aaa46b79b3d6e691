#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
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
// storedBytes, when not empty, are the bytes the picture was read from: they are written
// unchanged (a picture too large to decode here must not be lost by saving).
void WriteEmbeddedImage(ITypedFiler &filer, const QImage *image, const QByteArray &storedBytes = {});

// Reads what WriteEmbeddedImage wrote; null for "<none>". Any other String fails with
// "Unexpected blank image content". storedBytes receives the picture's bytes as stored.
// With decode false the picture is left undecoded: a null image stands for it and the
// caller decodes storedBytes when the pixels are needed.
std::unique_ptr<QImage> ReadEmbeddedImage(ITypedFiler &filer, TColorHandling colors, QByteArray *storedBytes = nullptr,
                                          bool decode = true);

// Memory a picture of this size takes once decoded and drawn: drawing and scaling work on
// 32-bit pixels, so a picture decoded in another format (grey, palette, 16 bits) also needs
// its 32-bit copy.
qint64 DrawnPictureBytes(QSize size, QImage::Format format);
// True when that passes the 1 GB a picture may take: such a picture is not decoded.
bool PictureTooLargeToDraw(QSize size, QImage::Format format);

// The size stored picture bytes claim, read from their header without decoding; invalid
// when the header cannot be read.
QSize StoredPictureSize(const QByteArray &storedBytes);

// Why stored picture bytes show as nothing: "too large to display", "cannot be decoded";
// empty when they decode. With decoded null (not decoded yet) only the header is judged.
QString PictureProblem(const QByteArray &storedBytes, const QImage *decoded);

// Lets image readers allocate pictures as large as the largest image Velmora draws
// (Qt's own limit is 128 MB). Called before every decode; cheap after the first.
void RaiseImageAllocationLimit();

} // namespace velmora
