#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace velmora::avi {

// Four characters as a little-endian code, first character in the lowest byte.
constexpr quint32 FourCC(const char (&code)[5])
{
    return quint32(quint8(code[0])) | quint32(quint8(code[1])) << 8 | quint32(quint8(code[2])) << 16
        | quint32(quint8(code[3])) << 24;
}

// The four-character code of a handler text, padded with spaces (or cut) to four characters.
quint32 FourCCOf(const QByteArray &text);

// Bytes per row of a 24-bit device-independent bitmap: 3 bytes a pixel, padded to 4 bytes.
constexpr qint64 DibRowBytes(int width) { return (3 * qint64(width) + 3) & ~qint64(3); }
constexpr qint64 DibImageSize(int width, int height) { return qint64(height) * DibRowBytes(width); }

constexpr quint32 AviIndexKeyFrame = 0x10;        // idx1 flag
constexpr quint32 AviFlagHasIndex = 0x10;         // avih flags
constexpr quint32 AviFlagIsInterleaved = 0x100;

// What the stream header and frame format of one video stream are built from.
struct TStreamSetup
{
    int Width = 0;
    int Height = 0;
    int Rate = 18;
    int Quality = 5000;
    quint32 Handler = FourCC("DIB ");   // strh handler
    quint32 Compression = 0;            // strf compression; 0 is BI_RGB
    quint16 BitCount = 24;
    QByteArray ExtraData;               // codec data after the 40-byte header
    QByteArray Name;                    // strn text; empty writes no strn
    bool Compressed = false;            // frames in "00dc" chunks rather than "00db"
};

// Little-endian writer into a byte array, for the fixed records of the file.
class TByteWriter
{
public:
    explicit TByteWriter(QByteArray &out) : m_out(out) {}
    void U8(quint8 v) { m_out.append(char(v)); }
    void U16(quint16 v);
    void U32(quint32 v);
    void U64(quint64 v);
    void I16(qint16 v) { U16(quint16(v)); }
    void I32(qint32 v) { U32(quint32(v)); }
    void Zeros(qint64 count) { m_out.append(QByteArray(count, '\0')); }
    void Bytes(const QByteArray &bytes) { m_out.append(bytes); }
    qint64 Size() const { return m_out.size(); }

private:
    QByteArray &m_out;
};

// The 40-byte BITMAPINFOHEADER followed by the codec's extra data.
QByteArray BitmapInfoHeader(const TStreamSetup &setup);

// The 56-byte stream header ("strh" payload).
QByteArray StreamHeader(const TStreamSetup &setup, quint32 length, quint32 suggestedBufferSize);

// The 56-byte main header ("avih" payload).
QByteArray MainHeader(const TStreamSetup &setup, quint32 totalFrames, quint32 suggestedBufferSize,
                      quint32 maxBytesPerSecond);

} // namespace velmora::avi
