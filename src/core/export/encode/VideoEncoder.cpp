#include "core/export/encode/VideoEncoder.h"

#include "core/export/ExportError.h"
#include "core/export/encode/LibavEncoder.h"
#include "core/export/encode/cinepak/CinepakEncoder.h"

#include <cstring>

namespace velmora {

namespace {

// Uncompressed frames: the bitmap's own bytes, every frame a key frame.
class TDibEncoder final : public IVideoEncoder
{
public:
    TDibEncoder(int width, int height) : m_width(width), m_height(height) {}

    void Encode(const QImage &frame, TPacketList &out) override
    {
        if (frame.format() != QImage::Format_BGR888 || frame.width() != m_width || frame.height() != m_height)
            throw EExportError(QStringLiteral("A frame does not have the size or format of the video."));
        TEncodedPacket packet;
        CopyToDib(frame, packet.Data);
        packet.KeyFrame = true;
        out.push_back(std::move(packet));
    }
    void Flush(TPacketList &) override {}
    void DescribeStream(avi::TStreamSetup &setup) const override
    {
        setup.Compressed = false;
        setup.Compression = 0;
        setup.BitCount = 24;
        setup.ExtraData.clear();
    }

private:
    int m_width;
    int m_height;
};

} // namespace

void CopyToDib(const QImage &frame, QByteArray &dib)
{
    const int height = frame.height();
    const qint64 row = avi::DibRowBytes(frame.width());
    const qint64 used = 3 * qint64(frame.width());
    dib.resize(avi::DibImageSize(frame.width(), height));
    char *out = dib.data();
    for (int y = 0; y < height; ++y) {
        char *target = out + (height - 1 - y) * row;  // the last row comes first
        std::memcpy(target, frame.constScanLine(y), size_t(used));
        std::memset(target + used, 0, size_t(row - used));
    }
}

std::unique_ptr<IVideoEncoder> CreateEncoder(const TCodecInfo &codec, const TEncoderSettings &settings)
{
    if (codec.Uncompressed())
        return std::make_unique<TDibEncoder>(settings.Width, settings.Height);
    if (IsOwnEncoder(codec))
        return std::make_unique<TCinepakEncoder>(settings);
    return std::make_unique<TLibavEncoder>(codec, settings);
}

} // namespace velmora
