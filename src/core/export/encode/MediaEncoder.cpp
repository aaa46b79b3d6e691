#include "core/export/encode/MediaEncoder.h"

#include "core/export/ExportError.h"

#include <algorithm>
#include <vector>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace velmora {

namespace {

// 16-bit display values to the linear light an EXR file holds (the sRGB curve).
const std::vector<float> &LinearFromDisplay()
{
    static const std::vector<float> table = [] {
        std::vector<float> t(65536);
        for (size_t i = 0; i < t.size(); ++i) {
            const double v = double(i) / 65535.0;
            t[i] = float(v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
        return t;
    }();
    return table;
}

// 16-bit RGB(A) into float planes G, B, R (and A), as the EXR encoder takes them.
void FillFloatPlanes(const QImage &frame, AVFrame *target, bool alpha)
{
    const std::vector<float> &linear = LinearFromDisplay();
    for (int y = 0; y < frame.height(); ++y) {
        const auto *in = reinterpret_cast<const quint16 *>(frame.constScanLine(y));
        auto *g = reinterpret_cast<float *>(target->data[0] + y * target->linesize[0]);
        auto *b = reinterpret_cast<float *>(target->data[1] + y * target->linesize[1]);
        auto *r = reinterpret_cast<float *>(target->data[2] + y * target->linesize[2]);
        auto *a = alpha ? reinterpret_cast<float *>(target->data[3] + y * target->linesize[3]) : nullptr;
        for (int x = 0; x < frame.width(); ++x, in += 4) {
            r[x] = linear[in[0]];
            g[x] = linear[in[1]];
            b[x] = linear[in[2]];
            if (a)
                a[x] = in[3] / 65535.0f;  // alpha is a coverage, not a light level
        }
    }
}

// 16-bit RGB into 10-bit planes G, B, R, rounded to the nearest code so that white is 1023
// and an 8-bit picture comes back whole when read at 8 bits (the scaler dithers and truncates).
void FillTenBitPlanes(const QImage &frame, AVFrame *target)
{
    for (int y = 0; y < frame.height(); ++y) {
        const auto *in = reinterpret_cast<const quint16 *>(frame.constScanLine(y));
        auto *g = reinterpret_cast<quint16 *>(target->data[0] + y * target->linesize[0]);
        auto *b = reinterpret_cast<quint16 *>(target->data[1] + y * target->linesize[1]);
        auto *r = reinterpret_cast<quint16 *>(target->data[2] + y * target->linesize[2]);
        auto tenBits = [](quint16 v) { return quint16((quint32(v) * 1023 + 32767) / 65535); };
        for (int x = 0; x < frame.width(); ++x, in += 4) {
            r[x] = tenBits(in[0]);
            g[x] = tenBits(in[1]);
            b[x] = tenBits(in[2]);
        }
    }
}

bool IsFloatPlanes(AVPixelFormat format)
{
    return format == AV_PIX_FMT_GBRPF32LE || format == AV_PIX_FMT_GBRAPF32LE;
}

} // namespace

TMediaEncoder::TMediaEncoder(const TFormatCodec &codec, const TCodecProfile &profile,
                             const TMediaEncoderSettings &settings)
    : m_codec(codec)
{
    TEncoderParts parts = AllocateEncoder(codec.Encoder, codec.Title);
    const AVCodec *encoder = parts.Codec;
    m_context = std::move(parts.Context);
    m_frame = std::move(parts.Frame);
    m_packet = std::move(parts.Packet);

    AVCodecContext *c = m_context.get();
    c->width = settings.Size.width();
    c->height = settings.Size.height();
    c->time_base = AVRational{settings.Rate.Den, settings.Rate.Num};
    c->framerate = AVRational{settings.Rate.Num, settings.Rate.Den};
    c->pix_fmt = settings.Alpha ? profile.AlphaPixels : profile.Pixels;
    c->thread_count = std::max(settings.Threads, 1);
    // Intra-only codecs encode several frames at once this way; the others use their slices.
    c->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (settings.GlobalHeader)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    TagBt709(*c, codec.Yuv);
    // Key frames exactly every N frames: the encoder's own scene cuts would move the next
    // one, and players seeking or joining slices count on the interval.
    const bool fixedKeyFrames = !codec.IntraOnly && settings.KeyFrameEvery > 0;
    if (codec.IntraOnly) {
        c->gop_size = 1;
    } else if (fixedKeyFrames) {
        c->gop_size = settings.KeyFrameEvery;
        c->keyint_min = settings.KeyFrameEvery;
    }

    if (!profile.Option.isEmpty())
        CheckAv(av_opt_set(c->priv_data, "profile", profile.Option.constData(), 0), What("choosing the profile of"));
    if (codec.Knob == TQualityKnob::ConstantRateFactor) {
        const double quality = std::clamp(settings.Quality, 0, 10000) / 10000.0;
        av_opt_set_double(c->priv_data, "crf", codec.WorstSetting + (codec.BestSetting - codec.WorstSetting) * quality, 0);
    }
    if (codec.Encoder == "libx264" && fixedKeyFrames)
        av_opt_set_int(c->priv_data, "sc_threshold", 0, 0);
    if (codec.Encoder == "libx265")  // it prints on its own otherwise
        av_opt_set(c->priv_data, "x265-params", fixedKeyFrames ? "log-level=none:scenecut=0" : "log-level=none", 0);
    if (codec.Encoder == "exr")
        av_opt_set(c->priv_data, "format", "half", 0);
    if (codec.Encoder == "ffv1") {
        c->level = 3;
        av_opt_set(c->priv_data, "slicecrc", "1", 0);
    }
    CheckAv(avcodec_open2(c, encoder, nullptr), What("opening"));

    m_frame->format = c->pix_fmt;
    m_frame->width = c->width;
    m_frame->height = c->height;
    m_frame->color_primaries = c->color_primaries;
    m_frame->color_trc = c->color_trc;
    m_frame->colorspace = c->colorspace;
    m_frame->color_range = c->color_range;
    CheckAv(av_frame_get_buffer(m_frame.get(), 0), What("allocating a frame for"));
    m_converter = std::make_unique<TFrameConverter>(TFrameConverter::TSetup{
        settings.Size, c->pix_fmt, SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP,
        std::max(settings.Threads, 1), codec.Yuv, codec.Title});
    m_deep = profile.DeepFrames();
}

QString TMediaEncoder::What(const char *step) const
{
    return QStringLiteral("Error %1 the codec %2").arg(QLatin1String(step), m_codec.Title);
}

void TMediaEncoder::Convert(const QImage &given)
{
    AVCodecContext *c = m_context.get();
    const bool givenAlpha = given.format() == QImage::Format_ARGB32 || given.format() == QImage::Format_RGBA64;
    // A deep file gets 16-bit input whatever it was handed, so 8-bit white lands on the
    // file's white (1023 in 10 bits), not on the 8-bit value shifted up.
    const QImage frame = m_deep && given.depth() != 64
        ? given.convertToFormat(givenAlpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64)
        : given;
    if (IsFloatPlanes(c->pix_fmt)) {
        FillFloatPlanes(frame, m_frame.get(), c->pix_fmt == AV_PIX_FMT_GBRAPF32LE);
        return;
    }
    if (c->pix_fmt == AV_PIX_FMT_GBRP10LE && frame.depth() == 64) {
        FillTenBitPlanes(frame, m_frame.get());
        return;
    }
    AVPixelFormat source = givenAlpha ? AV_PIX_FMT_BGRA : frame.format() == QImage::Format_RGB32 ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_BGR24;
    if (frame.depth() == 64)
        source = AV_PIX_FMT_RGBA64;  // Qt's RGBX64 keeps its unused channel at full, which the scaler ignores

    m_converter->Convert(frame, source, *m_frame);
}

void TMediaEncoder::Encode(const QImage &frame, const PacketOut &out)
{
    const QImage::Format format = frame.format();
    if ((format != QImage::Format_BGR888 && format != QImage::Format_RGB32 && format != QImage::Format_ARGB32
         && format != QImage::Format_RGBX64 && format != QImage::Format_RGBA64)
        || frame.width() != m_context->width || frame.height() != m_context->height)
        throw EExportError(QStringLiteral("A frame does not have the size or format of the video."));
    m_converter->RenewTarget(*m_frame);
    Convert(frame);
    m_frame->pts = m_nextPts++;
    Send(m_frame.get(), out);
}

void TMediaEncoder::Flush(const PacketOut &out)
{
    if (m_flushed)
        return;
    m_flushed = true;
    Send(nullptr, out);
}

void TMediaEncoder::Send(const AVFrame *frame, const PacketOut &out)
{
    SendAndDrain(m_context.get(), frame, m_packet.get(), out, QStringLiteral("the codec %1").arg(m_codec.Title));
}

} // namespace velmora
