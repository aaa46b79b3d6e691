#include "core/export/formats/CodecCatalog.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace velmora {

namespace {

std::vector<TCodecInfo> BuildCatalog()
{
    std::vector<TCodecInfo> list;
    auto add = [&list](TCodecInfo info) { list.push_back(std::move(info)); };
    // Our own encoder; it reads quality, key frames and data rate itself.
    add({"cinepak", "CVID", "Cinepak", "widely playable", false, true, true, true,
         OwnCinepakEncoder, "cvid", {}, TQualityKnob::None, 0, 0});
    add({"mjpeg", "MJPG", "Motion JPEG", "widely playable, fast, every frame a key frame", false, true, false, false,
         "mjpeg", "MJPG", {AV_PIX_FMT_YUVJ420P}, TQualityKnob::QScale, 2, 31});
    add({"ffv1", "FFV1", "FFV1", "lossless, small", true, false, true, false,
         "ffv1", "FFV1", {AV_PIX_FMT_BGR0, AV_PIX_FMT_0RGB32}, TQualityKnob::None, 0, 0});
    add({"huffyuv", "HFYU", "HuffYUV", "lossless, fast", true, false, false, false,
         "huffyuv", "HFYU", {AV_PIX_FMT_RGB24, AV_PIX_FMT_RGB32}, TQualityKnob::None, 0, 0});
    add({"utvideo", "ULRG", "Ut Video", "lossless, fast", true, false, false, false,
         "utvideo", "ULRG", {AV_PIX_FMT_GBRP}, TQualityKnob::None, 0, 0});
    add({"mpeg4", "FMP4", "MPEG-4 Part 2", "widely playable, small", false, true, true, true,
         "mpeg4", "FMP4", {AV_PIX_FMT_YUV420P}, TQualityKnob::QScale, 2, 31});
    add({"h264", "H264", "H.264 (x264)", "widely playable, smallest", false, true, true, true,
         "libx264", "H264", {AV_PIX_FMT_YUV420P}, TQualityKnob::ConstantRateFactor, 10, 40, true});
    add({"raw", "DIB ", "Uncompressed", "lossless, fast, very large", true, false, false, false,
         "", "", {}, TQualityKnob::None, 0, 0});
    // libavcodec's Cinepak encoder, for comparison; the codec choice offers one encoder a handler.
    // Its knob is the rate-distortion weight; about 2 (its own default) at quality 5000.
    add({"cinepak-libav", "CVID", "Cinepak (libavcodec)", "widely playable, very slow", false, true, true, false,
         "cinepak", "cvid", {AV_PIX_FMT_RGB24}, TQualityKnob::QScale, 1, 5});
    return list;
}

} // namespace

const std::vector<TCodecInfo> &KnownCodecs()
{
    static const std::vector<TCodecInfo> catalog = BuildCatalog();
    return catalog;
}

bool IsOwnEncoder(const TCodecInfo &codec)
{
    return codec.Encoder == OwnCinepakEncoder;
}

bool IsCodecAvailable(const TCodecInfo &codec)
{
    return codec.Uncompressed() || IsOwnEncoder(codec) || avcodec_find_encoder_by_name(codec.Encoder.constData()) != nullptr;
}

bool CodecUsesSeveralCores(const TCodecInfo &codec)
{
    if (codec.Uncompressed())
        return true;  // nothing to spread: the frames only need copying
    if (IsOwnEncoder(codec))
        return true;  // its strips go side by side
    const AVCodec *encoder = avcodec_find_encoder_by_name(codec.Encoder.constData());
    return encoder
        && (encoder->capabilities
            & (AV_CODEC_CAP_FRAME_THREADS | AV_CODEC_CAP_SLICE_THREADS | AV_CODEC_CAP_OTHER_THREADS));
}

std::vector<TCodecInfo> AvailableCodecs()
{
    std::vector<TCodecInfo> result;
    for (const TCodecInfo &codec : KnownCodecs())
        if (IsCodecAvailable(codec) && !FindCodecByHandler(codec.Handler, result))
            result.push_back(codec);
    return result;
}

QByteArray NormalizedHandler(const QByteArray &handler)
{
    QByteArray code = handler.left(4).toUpper();
    while (code.size() < 4)
        code.append(' ');
    return code;
}

const TCodecInfo *FindCodecByHandler(const QByteArray &handler, const std::vector<TCodecInfo> &list)
{
    const QByteArray code = NormalizedHandler(handler);
    for (const TCodecInfo &codec : list)
        if (codec.Handler == code)
            return &codec;
    return nullptr;
}

const TCodecInfo *FindCodecByHandler(const QByteArray &handler)
{
    return FindCodecByHandler(handler, KnownCodecs());
}

const TCodecInfo *FindCodecByName(const QString &name)
{
    const QString key = name.trimmed().toLower();
    for (const TCodecInfo &codec : KnownCodecs())
        if (codec.Name == key)
            return &codec;
    return nullptr;
}

QByteArray HandlerForCodecName(const QString &name)
{
    const QString key = name.trimmed().toLower();
    if (const TCodecInfo *codec = FindCodecByName(key))
        return codec->Handler;
    if (!key.isEmpty() && key.size() <= 4)
        if (const TCodecInfo *codec = FindCodecByHandler(name.toLatin1()))
            return codec->Handler;
    return {};
}

} // namespace velmora
