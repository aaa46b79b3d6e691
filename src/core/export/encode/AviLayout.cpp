#include "core/export/encode/AviLayout.h"

namespace velmora::avi {

quint32 FourCCOf(const QByteArray &text)
{
    QByteArray code = text.left(4);
    while (code.size() < 4)
        code.append(' ');
    return quint32(quint8(code[0])) | quint32(quint8(code[1])) << 8 | quint32(quint8(code[2])) << 16
        | quint32(quint8(code[3])) << 24;
}

void TByteWriter::U16(quint16 v)
{
    U8(quint8(v));
    U8(quint8(v >> 8));
}

void TByteWriter::U32(quint32 v)
{
    U16(quint16(v));
    U16(quint16(v >> 16));
}

void TByteWriter::U64(quint64 v)
{
    U32(quint32(v));
    U32(quint32(v >> 32));
}

QByteArray BitmapInfoHeader(const TStreamSetup &setup)
{
    QByteArray out;
    TByteWriter w(out);
    w.U32(40 + quint32(setup.ExtraData.size()));
    w.I32(setup.Width);
    w.I32(setup.Height);  // positive: rows bottom-up
    w.U16(1);             // planes
    w.U16(setup.BitCount);
    w.U32(setup.Compression);
    w.U32(quint32(DibImageSize(setup.Width, setup.Height)));
    w.Zeros(16);          // pels per metre, colours used and important
    w.Bytes(setup.ExtraData);
    return out;
}

QByteArray StreamHeader(const TStreamSetup &setup, quint32 length, quint32 suggestedBufferSize)
{
    QByteArray out;
    TByteWriter w(out);
    w.U32(FourCC("vids"));
    w.U32(setup.Handler);
    w.U32(0);  // flags
    w.U16(0);  // priority
    w.U16(0);  // language
    w.U32(0);  // initial frames
    w.U32(1);  // scale
    w.U32(quint32(setup.Rate));
    w.U32(0);  // start
    w.U32(length);
    w.U32(suggestedBufferSize);
    w.U32(quint32(setup.Quality));
    w.U32(0);  // sample size
    // The frame rectangle's right and bottom are inclusive.
    w.I16(0);
    w.I16(0);
    w.I16(qint16(setup.Width - 1));
    w.I16(qint16(setup.Height - 1));
    return out;
}

QByteArray MainHeader(const TStreamSetup &setup, quint32 totalFrames, quint32 suggestedBufferSize,
                      quint32 maxBytesPerSecond)
{
    QByteArray out;
    TByteWriter w(out);
    w.U32(setup.Rate > 0 ? quint32(1000000 / setup.Rate) : 0);  // microseconds per frame
    w.U32(maxBytesPerSecond);
    w.U32(0);  // padding granularity
    w.U32(AviFlagHasIndex | AviFlagIsInterleaved);
    w.U32(totalFrames);
    w.U32(0);  // initial frames
    w.U32(1);  // streams
    w.U32(suggestedBufferSize);
    w.I32(setup.Width);
    w.I32(setup.Height);
    w.Zeros(16);
    return out;
}

} // namespace velmora::avi
