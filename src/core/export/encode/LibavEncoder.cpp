#include "core/export/encode/LibavEncoder.h"

#include "core/export/ExportError.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

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

// 16-bit RGB into 10- or 12-bit planes G, B, R, rounded to the nearest code so that white is
// the top code and an 8-bit picture comes back whole when read at 8 bits (the scaler dithers
// and truncates).
void FillDeepPlanes(const QImage &frame, AVFrame *target, int bits)
{
    const quint32 top = (1u << bits) - 1;
    for (int y = 0; y < frame.height(); ++y) {
        const auto *in = reinterpret_cast<const quint16 *>(frame.constScanLine(y));
        auto *g = reinterpret_cast<quint16 *>(target->data[0] + y * target->linesize[0]);
        auto *b = reinterpret_cast<quint16 *>(target->data[1] + y * target->linesize[1]);
        auto *r = reinterpret_cast<quint16 *>(target->data[2] + y * target->linesize[2]);
        auto tenBits = [top](quint16 v) { return quint16((quint32(v) * top + 32767) / 65535); };
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

AVPixelFormat ChoosePixelFormat(AVPixelFormat wanted, const AVCodec *encoder)
{
    if (!encoder->pix_fmts)
        return wanted;
    for (const AVPixelFormat *f = encoder->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
        if (*f == wanted)
            return wanted;
    return encoder->pix_fmts[0];  // another build of libavcodec: what it takes
}

bool IsRgb(AVPixelFormat format)
{
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(format);
    return desc && (desc->flags & AV_PIX_FMT_FLAG_RGB);
}

} // namespace

TLibavEncoder::TLibavEncoder(const TFormatCodec &codec, const TCodecProfile &profile, const TEncoderSettings &settings)
    : m_codec(codec)
{
    TEncoderParts parts = AllocateEncoder(profile.Encoder.isEmpty() ? codec.Encoder : profile.Encoder, codec.Title);
    const AVCodec *encoder = parts.Codec;
    m_context = std::move(parts.Context);
    m_frame = std::move(parts.Frame);
    m_packet = std::move(parts.Packet);
    const bool avi = codec.ForAvi();

    AVCodecContext *c = m_context.get();
    const TFrameRate rate = settings.Rate.Num > 0 && settings.Rate.Den > 0 ? settings.Rate : TFrameRate{1, 1};
    c->width = settings.Width;
    c->height = settings.Height;
    c->time_base = AVRational{rate.Den, rate.Num};
    c->framerate = AVRational{rate.Num, rate.Den};
    c->pix_fmt = ChoosePixelFormat(settings.Alpha ? profile.AlphaPixels : profile.Pixels, encoder);
    c->thread_count = std::max(settings.Threads, 1);
    // Intra-only codecs encode several frames at once this way; the others use their slices.
    c->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (settings.GlobalHeader)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avi) {
        c->codec_tag = avi::FourCCOf(codec.Compression);
        c->max_b_frames = 0;  // frames leave in display order: AVI has no time stamps
    }
    // The bitstream's tags and the container's say the same. Motion JPEG and MPEG-4 Part 2
    // stay untagged: their decoders assume their own colours.
    if (settings.Colour.Hdr())
        TagBt2100(*c, codec.Yuv, settings.Colour.Encoding == TColourEncoding::Pq);
    else if (codec.Yuv || IsRgb(c->pix_fmt))
        TagBt709(*c, codec.Yuv);

    // Key frames exactly every N frames in the other containers: the encoder's own scene cuts
    // would move the next one, and players seeking or joining slices count on the interval.
    // AVI keeps x264's scene cuts, so its files stay as they have always been.
    const bool fixedKeyFrames = !codec.IntraOnly && settings.KeyFrameEvery > 0;
    if (codec.IntraOnly) {
        c->gop_size = 1;
    } else if (settings.KeyFrameEvery > 0) {
        c->gop_size = settings.KeyFrameEvery;
        c->keyint_min = settings.KeyFrameEvery;
    }
    if (!profile.Option.isEmpty())
        // The encoder's own option where it has one (options of the context's children come
        // first), the context's profile number otherwise.
        CheckAv(av_opt_set(c, "profile", profile.Option.constData(), AV_OPT_SEARCH_CHILDREN),
                What("choosing the profile of"));
    ApplyQuality(settings);
    if (codec.Encoder == "libx264" && fixedKeyFrames && !avi)
        av_opt_set_int(c->priv_data, "sc_threshold", 0, 0);
    if (codec.Encoder == "libx265")  // it prints on its own otherwise
        av_opt_set(c->priv_data, "x265-params", fixedKeyFrames ? "log-level=none:scenecut=0" : "log-level=none", 0);

    AVDictionary *options = nullptr;
    if (!codec.Options.isEmpty())
        CheckAv(av_dict_parse_string(&options, codec.Options.constData(), "=", ":", 0), What("setting up"));
    const int opened = avcodec_open2(c, encoder, &options);
    const bool unused = av_dict_count(options) > 0;
    av_dict_free(&options);
    CheckAv(opened, What("opening"));
    if (unused)  // a table row naming an option this libavcodec lacks: its files would differ
        throw EExportError(What("setting the options of") + QStringLiteral(": %1").arg(QLatin1String(codec.Options)));

    m_frame->format = c->pix_fmt;
    m_frame->width = c->width;
    m_frame->height = c->height;
    m_frame->color_primaries = c->color_primaries;
    m_frame->color_trc = c->color_trc;
    m_frame->colorspace = c->colorspace;
    m_frame->color_range = c->color_range;
    CheckAv(av_frame_get_buffer(m_frame.get(), 0), What("allocating a frame for"));
    int flags = SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP;
    if (avi)
        flags &= ~SWS_FULL_CHR_H_INP;  // the chroma AVI files have always had
    m_converter = std::make_unique<TFrameConverter>(TFrameConverter::TSetup{
        QSize(c->width, c->height), c->pix_fmt, flags, std::max(settings.Threads, 1), codec.Yuv, codec.Title,
        settings.Colour.Hdr()});
    m_deep = profile.DeepFrames();
    if (settings.Colour.Mapped())
        m_mapping = std::make_unique<TColourMapping>(settings.Colour);
}

QString TLibavEncoder::What(const char *step) const
{
    return QStringLiteral("Error %1 the codec %2").arg(QLatin1String(step), m_codec.Title);
}

void TLibavEncoder::ApplyQuality(const TEncoderSettings &settings)
{
    AVCodecContext *c = m_context.get();
    const double quality = std::clamp(settings.Quality, 0, 10000) / 10000.0;
    const double best = m_codec.BestSetting;
    const double worst = m_codec.WorstSetting;
    switch (m_codec.Knob) {
    case TQualityKnob::QScale: {
        // Quantiser steps matter in ratios: the middle of the scale is their geometric mean.
        const double value = best * std::pow(worst / best, 1.0 - quality);
        c->flags |= AV_CODEC_FLAG_QSCALE;
        c->global_quality = int(std::lround(value * FF_QP2LAMBDA));
        m_frameQuality = c->global_quality;
        break;
    }
    case TQualityKnob::ConstantRateFactor:
        av_opt_set_double(c->priv_data, "crf", worst + (best - worst) * quality, 0);
        break;
    case TQualityKnob::None:
        break;
    }
    if (!m_codec.HasDataRate || settings.BytesPerSecond <= 0)
        return;
    const qint64 bitsPerSecond = qint64(settings.BytesPerSecond) * 8;
    if (m_codec.Knob == TQualityKnob::ConstantRateFactor) {
        // Quality stays the aim; the data rate caps it.
        c->rc_max_rate = bitsPerSecond;
        c->rc_buffer_size = int(std::min<qint64>(bitsPerSecond * 2, INT_MAX));
        // A capped buffer shared by frames encoded side by side is filled in whatever order the
        // threads finish, so the same roll would give other bytes on a busy machine: one thread.
        c->thread_count = 1;
    } else {
        c->flags &= ~AV_CODEC_FLAG_QSCALE;
        m_frameQuality = 0;
        c->bit_rate = bitsPerSecond;
    }
}

void TLibavEncoder::Convert(const QImage &given)
{
    const AVPixelFormat target = m_context->pix_fmt;
    const bool givenAlpha = given.format() == QImage::Format_ARGB32 || given.format() == QImage::Format_RGBA64;
    // A deep file gets 16-bit input whatever it was handed, so 8-bit white lands on the
    // file's white (1023 in 10 bits), not on the 8-bit value shifted up.
    QImage frame = m_deep && given.depth() != 64
        ? given.convertToFormat(givenAlpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64)
        : given;
    if (m_mapping) {
        TFrameLight light;
        frame = m_mapping->Map(frame, &light);
        m_light.Brightest = std::max(m_light.Brightest, light.Brightest);
        m_light.Average = std::max(m_light.Average, light.Average);
    }
    if (IsFloatPlanes(target)) {
        FillFloatPlanes(frame, m_frame.get(), target == AV_PIX_FMT_GBRAPF32LE);
        return;
    }
    if ((target == AV_PIX_FMT_GBRP10LE || target == AV_PIX_FMT_GBRP12LE) && frame.depth() == 64) {
        FillDeepPlanes(frame, m_frame.get(), target == AV_PIX_FMT_GBRP10LE ? 10 : 12);
        return;
    }
    AVPixelFormat source = givenAlpha ? AV_PIX_FMT_BGRA : frame.format() == QImage::Format_RGB32 ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_BGR24;
    if (frame.depth() == 64)
        source = AV_PIX_FMT_RGBA64;  // Qt's RGBX64 keeps its unused channel at full, which the scaler ignores
    m_converter->Convert(frame, source, *m_frame);
}

void TLibavEncoder::Encode(const QImage &frame, const PacketOut &out)
{
    const QImage::Format format = frame.format();
    if ((format != QImage::Format_BGR888 && format != QImage::Format_RGB32 && format != QImage::Format_ARGB32
         && format != QImage::Format_RGBX64 && format != QImage::Format_RGBA64)
        || frame.width() != m_context->width || frame.height() != m_context->height)
        throw EExportError(QStringLiteral("A frame does not have the size or format of the video."));
    m_converter->RenewTarget(*m_frame);
    Convert(frame);
    m_frame->pts = m_nextPts++;
    m_frame->quality = m_frameQuality;
    Send(m_frame.get(), out);
}

void TLibavEncoder::Flush(const PacketOut &out)
{
    if (m_flushed)
        return;
    m_flushed = true;
    Send(nullptr, out);
}

void TLibavEncoder::Send(const AVFrame *frame, const PacketOut &out)
{
    SendAndDrain(m_context.get(), frame, m_packet.get(), out, QStringLiteral("the codec %1").arg(m_codec.Title));
}

namespace {

TLibavEncoder::PacketOut Keep(TPacketList &out)
{
    return [&out](AVPacket *packet) {
        out.push_back({QByteArray(reinterpret_cast<const char *>(packet->data), packet->size),
                       (packet->flags & AV_PKT_FLAG_KEY) != 0});
    };
}

} // namespace

void TLibavEncoder::Encode(const QImage &frame, TPacketList &out)
{
    Encode(frame, Keep(out));
}

void TLibavEncoder::Flush(TPacketList &out)
{
    Flush(Keep(out));
}

void TLibavEncoder::DescribeStream(avi::TStreamSetup &setup) const
{
    setup.Compressed = true;
    setup.Compression = avi::FourCCOf(m_codec.Compression);
    setup.BitCount = quint16(m_context->bits_per_coded_sample > 0 ? m_context->bits_per_coded_sample : 24);
    setup.ExtraData = m_context->extradata_size > 0
        ? QByteArray(reinterpret_cast<const char *>(m_context->extradata), m_context->extradata_size)
        : QByteArray();
}

} // namespace velmora
