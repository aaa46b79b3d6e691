#include "core/export/encode/LibavEncoder.h"

#include "core/export/ExportError.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/opt.h>
}

namespace velmora {

namespace {

AVPixelFormat ChoosePixelFormat(const TCodecInfo &codec, const AVCodec *encoder)
{
    for (AVPixelFormat wanted : codec.PixelFormats) {
        if (!encoder->pix_fmts)
            return wanted;
        for (const AVPixelFormat *f = encoder->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
            if (*f == wanted)
                return wanted;
    }
    return encoder->pix_fmts ? encoder->pix_fmts[0] : AV_PIX_FMT_NONE;
}

} // namespace

TLibavEncoder::TLibavEncoder(const TCodecInfo &codec, const TEncoderSettings &settings) : m_codec(codec)
{
    TEncoderParts parts = AllocateEncoder(codec.Encoder, codec.Title);
    const AVCodec *encoder = parts.Codec;
    m_context = std::move(parts.Context);
    m_frame = std::move(parts.Frame);
    m_packet = std::move(parts.Packet);

    AVCodecContext *c = m_context.get();
    c->width = settings.Width;
    c->height = settings.Height;
    c->time_base = AVRational{1, std::max(settings.Rate, 1)};
    c->framerate = AVRational{std::max(settings.Rate, 1), 1};
    c->pix_fmt = ChoosePixelFormat(codec, encoder);
    c->codec_tag = avi::FourCCOf(codec.Compression);
    c->max_b_frames = 0;  // frames leave in display order: AVI has no time stamps
    c->thread_count = std::max(settings.Threads, 1);
    if (settings.KeyFrameEvery > 0) {
        c->gop_size = settings.KeyFrameEvery;
        c->keyint_min = settings.KeyFrameEvery;
    }
    if (codec.Bt709)
        TagBt709(*c, true);
    ApplyQuality(settings);
    if (codec.HasDataRate && settings.BytesPerSecond > 0) {
        const qint64 bitsPerSecond = qint64(settings.BytesPerSecond) * 8;
        if (codec.Knob == TQualityKnob::ConstantRateFactor) {
            // Quality stays the aim; the data rate caps it.
            c->rc_max_rate = bitsPerSecond;
            c->rc_buffer_size = int(std::min<qint64>(bitsPerSecond * 2, INT_MAX));
        } else {
            c->flags &= ~AV_CODEC_FLAG_QSCALE;
            m_frameQuality = 0;
            c->bit_rate = bitsPerSecond;
        }
    }
    CheckAv(avcodec_open2(c, encoder, nullptr), What("opening"));

    m_frame->format = c->pix_fmt;
    m_frame->color_primaries = c->color_primaries;
    m_frame->color_trc = c->color_trc;
    m_frame->colorspace = c->colorspace;
    m_frame->color_range = c->color_range;
    m_frame->width = c->width;
    m_frame->height = c->height;
    CheckAv(av_frame_get_buffer(m_frame.get(), 0), What("allocating a frame for"));
    // One thread: the grouped encoder runs one of these per core already.
    m_converter = std::make_unique<TFrameConverter>(TFrameConverter::TSetup{
        QSize(c->width, c->height), c->pix_fmt, SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, 1, codec.Bt709,
        codec.Title});
}

QString TLibavEncoder::What(const char *step) const
{
    return QStringLiteral("Error %1 the codec %2").arg(QLatin1String(step), m_codec.Title);
}

void TLibavEncoder::ApplyQuality(const TEncoderSettings &settings)
{
    const double quality = std::clamp(settings.Quality, 0, 10000) / 10000.0;
    const double best = m_codec.BestSetting;
    const double worst = m_codec.WorstSetting;
    switch (m_codec.Knob) {
    case TQualityKnob::QScale: {
        // Quantiser steps matter in ratios: the middle of the scale is their geometric mean.
        const double value = best * std::pow(worst / best, 1.0 - quality);
        m_context->flags |= AV_CODEC_FLAG_QSCALE;
        m_context->global_quality = int(std::lround(value * FF_QP2LAMBDA));
        m_frameQuality = m_context->global_quality;
        break;
    }
    case TQualityKnob::ConstantRateFactor:
        av_opt_set_double(m_context->priv_data, "crf", worst + (best - worst) * quality, 0);
        break;
    case TQualityKnob::None:
        break;
    }
}

void TLibavEncoder::Encode(const QImage &frame, TPacketList &out)
{
    const bool rgb32 = frame.format() == QImage::Format_RGB32;
    if ((frame.format() != QImage::Format_BGR888 && !rgb32) || frame.width() != m_context->width
        || frame.height() != m_context->height)
        throw EExportError(QStringLiteral("A frame does not have the size or format of the video."));
    m_converter->RenewTarget(*m_frame);
    m_converter->Convert(frame, rgb32 ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_BGR24, *m_frame);
    m_frame->pts = m_nextPts++;
    m_frame->quality = m_frameQuality;
    Send(m_frame.get(), out);
}

void TLibavEncoder::Flush(TPacketList &out)
{
    if (m_flushed)
        return;
    m_flushed = true;
    Send(nullptr, out);
}

void TLibavEncoder::Send(const AVFrame *frame, TPacketList &out)
{
    SendAndDrain(m_context.get(), frame, m_packet.get(), [&out](AVPacket *packet) {
        out.push_back({QByteArray(reinterpret_cast<const char *>(packet->data), packet->size),
                       (packet->flags & AV_PKT_FLAG_KEY) != 0});
    }, QStringLiteral("the codec %1").arg(m_codec.Title));
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
