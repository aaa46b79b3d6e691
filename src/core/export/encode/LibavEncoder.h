#pragma once

#include "core/export/encode/FrameConverter.h"
#include "core/export/encode/LibavSupport.h"

#include <memory>
#include "core/export/encode/VideoEncoder.h"

namespace velmora {

// An encoder of this machine's libavcodec behind IVideoEncoder.
class TLibavEncoder final : public IVideoEncoder
{
public:
    // Opens the encoder. Throws EExportError.
    TLibavEncoder(const TCodecInfo &codec, const TEncoderSettings &settings);

    void Encode(const QImage &frame, TPacketList &out) override;
    void Flush(TPacketList &out) override;
    bool TakesRgb32() const override { return true; }
    void DescribeStream(avi::TStreamSetup &setup) const override;

private:
    void ApplyQuality(const TEncoderSettings &settings);
    void Send(const AVFrame *frame, TPacketList &out);
    QString What(const char *step) const;

    const TCodecInfo &m_codec;
    TCodecContextPtr m_context;
    TFramePtr m_frame;
    TPacketPtr m_packet;
    std::unique_ptr<TFrameConverter> m_converter;
    int m_frameQuality = 0;
    qint64 m_nextPts = 0;
    bool m_flushed = false;
};

} // namespace velmora
