#pragma once

#include "core/export/encode/FrameConverter.h"
#include "core/export/sinks/FrameSink.h"
#include "core/export/encode/LibavSupport.h"
#include "core/export/formats/OutputFormats.h"

#include <functional>
#include <memory>

namespace velmora {

// What a codec of the format table is opened with.
struct TMediaEncoderSettings
{
    QSize Size;
    TFrameRate Rate;
    bool Alpha = false;
    int Quality = 5000;      // 0..10000, for codecs with a quality knob
    int KeyFrameEvery = 0;   // 0: the codec's own choice (intra-only codecs ignore it)
    int Threads = 1;
    bool GlobalHeader = false;  // the container wants the codec's headers apart (MP4, MOV, ...)
};

// Turns film frames into packets of one codec of the format table: converts the pixels
// (BT.709 limited range for YUV codecs), tags the colours and drives libavcodec.
class TMediaEncoder
{
public:
    using PacketOut = std::function<void(AVPacket *)>;

    // Opens the encoder; throws EExportError with a message for the user.
    TMediaEncoder(const TFormatCodec &codec, const TCodecProfile &profile, const TMediaEncoderSettings &settings);

    AVCodecContext *Context() const { return m_context.get(); }
    // Encodes a frame of the opened size: Format_BGR888, Format_RGB32 or Format_RGBX64 when opaque,
    // Format_ARGB32 or Format_RGBA64 (straight alpha) with alpha.
    void Encode(const QImage &frame, const PacketOut &out);
    // Hands out what the encoder still holds.
    void Flush(const PacketOut &out);

private:
    void Convert(const QImage &frame);
    void Send(const AVFrame *frame, const PacketOut &out);
    QString What(const char *step) const;

    const TFormatCodec &m_codec;
    TCodecContextPtr m_context;
    TFramePtr m_frame;
    TPacketPtr m_packet;
    bool m_deep = false;  // the file keeps more than 8 bits: the encoder gets 16-bit input
    std::unique_ptr<TFrameConverter> m_converter;
    qint64 m_nextPts = 0;
    bool m_flushed = false;
};

} // namespace velmora
