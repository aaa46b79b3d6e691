#pragma once

#include "core/export/encode/AviLayout.h"
#include "core/export/formats/ColourEncoding.h"
#include "core/export/formats/OutputFormats.h"

#include <QByteArray>
#include <QImage>
#include <memory>
#include <vector>

namespace velmora {

// One compressed frame as it goes into the file.
struct TEncodedPacket
{
    QByteArray Data;
    bool KeyFrame = false;
};
using TPacketList = std::vector<TEncodedPacket>;

// What an encoder is opened with.
struct TEncoderSettings
{
    int Width = 0;
    int Height = 0;
    TFrameRate Rate{18, 1};
    bool Alpha = false;       // frames come with straight alpha and the file keeps it
    int Quality = 5000;       // 0..10000, for codecs with a quality knob
    int KeyFrameEvery = 0;    // 0: the codec's own choice (intra-only codecs ignore it)
    int BytesPerSecond = 0;   // 0: no data rate target
    int Threads = 1;
    bool GlobalHeader = false;  // the container wants the codec's headers apart (MP4, MOV, ...)
    TColourChoice Colour;       // the signal the file carries; frames come drawn in BT.709
};

// Turns 24-bit frames into the packets of one video stream.
class IVideoEncoder
{
public:
    virtual ~IVideoEncoder() = default;
    // Takes one top-down Format_BGR888 frame of the opened size (or Format_RGB32 where
    // TakesRgb32()); appends finished packets.
    virtual void Encode(const QImage &frame, TPacketList &out) = 0;
    virtual bool TakesRgb32() const { return false; }
    // Appends the packets still held back by the encoder.
    virtual void Flush(TPacketList &out) = 0;
    // Called from any thread: frames not yet started may be dropped; Flush then returns the
    // packets of the frames finished in order.
    virtual void RequestStop() {}
    // Fills the stream fields that depend on the codec (compression, bit count, extra data).
    virtual void DescribeStream(avi::TStreamSetup &setup) const = 0;
};

// Creates and opens the encoder of an AVI codec (its one profile). Throws EExportError.
std::unique_ptr<IVideoEncoder> CreateEncoder(const TFormatCodec &codec, const TEncoderSettings &settings);

// Copies a top-down 24-bit image into a bottom-up device-independent bitmap, rows padded
// to 4 bytes with zeros.
void CopyToDib(const QImage &frame, QByteArray &dib);

} // namespace velmora
