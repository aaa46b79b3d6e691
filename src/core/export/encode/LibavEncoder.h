#pragma once

#include "core/export/encode/ColourMapping.h"
#include "core/export/encode/FrameConverter.h"
#include "core/export/encode/LibavSupport.h"
#include "core/export/encode/VideoEncoder.h"

#include <functional>
#include <memory>

namespace velmora {

// An encoder of this machine's libavcodec for any row of the format table: converts the
// pixels (BT.709 limited range for YUV rows), tags the colours and drives libavcodec. The AVI
// writer takes its packets through IVideoEncoder, the muxers as AVPackets.
class TLibavEncoder final : public IVideoEncoder
{
public:
    using PacketOut = std::function<void(AVPacket *)>;

    // Opens the encoder; throws EExportError with a message for the user.
    TLibavEncoder(const TFormatCodec &codec, const TCodecProfile &profile, const TEncoderSettings &settings);

    AVCodecContext *Context() const { return m_context.get(); }
    // Encodes a frame of the opened size: Format_BGR888, Format_RGB32 or Format_RGBX64 when opaque,
    // Format_ARGB32 or Format_RGBA64 (straight alpha) with alpha.
    void Encode(const QImage &frame, const PacketOut &out);
    // Hands out what the encoder still holds; once.
    void Flush(const PacketOut &out);
    // The most light of any frame so far and the highest frame average, in cd/m², for HDR
    // deliveries (zero for others).
    const TFrameLight &MeasuredLight() const { return m_light; }

    void Encode(const QImage &frame, TPacketList &out) override;
    void Flush(TPacketList &out) override;
    bool TakesRgb32() const override { return true; }
    void DescribeStream(avi::TStreamSetup &setup) const override;

private:
    void ApplyQuality(const TEncoderSettings &settings);
    void Convert(const QImage &frame);
    void Send(const AVFrame *frame, const PacketOut &out);
    QString What(const char *step) const;

    const TFormatCodec &m_codec;
    TCodecContextPtr m_context;
    TFramePtr m_frame;
    TPacketPtr m_packet;
    std::unique_ptr<TFrameConverter> m_converter;
    bool m_deep = false;  // the file keeps more than 8 bits: the encoder gets 16-bit input
    std::unique_ptr<TColourMapping> m_mapping;  // for deliveries in another signal than BT.709
    TFrameLight m_light;
    int m_frameQuality = 0;
    qint64 m_nextPts = 0;
    bool m_flushed = false;
};

} // namespace velmora
