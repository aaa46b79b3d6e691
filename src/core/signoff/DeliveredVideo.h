#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace velmora {

// What a delivered file's container and video stream say about themselves.
struct TDeliveredStream
{
    QString Format;        // the demuxer's name ("mov,mp4,m4a,3gp,3g2,mj2", "image2", ...)
    QString Codec;
    int Width = 0;
    int Height = 0;
    int RateNum = 0;       // frames per second as a fraction; 0 when the file gives none
    int RateDen = 1;
    QString Timecode;      // of the first frame, when the file carries one
    QString Primaries;     // colour tags as FFmpeg names them; "unknown" when untagged
    QString Transfer;
    QString Matrix;
    QString Range;         // "tv", "pc" or "unknown"
    bool Rgb = false;      // the pixels are RGB, which have no matrix or range
    QString FieldOrder;    // "progressive", "tt", "bb", "tb", "bt" or "unknown"
    int AspectNum = 0;     // pixel aspect; 0:1 when the file gives none
    int AspectDen = 1;

    double Rate() const { return RateNum > 0 ? double(RateNum) / RateDen : 0.0; }
};

// One decoded picture's luma, 8 bits a sample, rows packed.
struct TLumaFrame
{
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Samples;
    const std::uint8_t *Row(int y) const { return Samples.data() + std::size_t(y) * std::size_t(Width); }
};

// Opens any file FFmpeg reads (a video, or an image sequence by its pattern) and describes its
// first video stream. Throws EVelmoraError naming the file.
TDeliveredStream ProbeDelivered(const QString &fileName);

// Decodes every frame of the file's video stream in order and hands each one's luma to
// visit, which returns false to stop. Returns the number of frames decoded. Throws
// EVelmoraError naming the file.
qint64 DecodeLuma(const QString &fileName, const std::function<bool(const TLumaFrame &)> &visit);

} // namespace velmora
