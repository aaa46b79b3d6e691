#include "core/signoff/DeliveredVideo.h"

#include "core/error.h"

#include <QFile>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace velmora {

namespace {

// Reading a delivered file needs only a decoder; the export folder's encoder helpers are a
// layer above this one, so the few handles used here are owned here.
struct TInputCloser { void operator()(AVFormatContext *c) const { avformat_close_input(&c); } };
struct TDecoderCloser { void operator()(AVCodecContext *c) const { avcodec_free_context(&c); } };
struct TFrameCloser { void operator()(AVFrame *f) const { av_frame_free(&f); } };
struct TPacketCloser { void operator()(AVPacket *p) const { av_packet_free(&p); } };
struct TScalerCloser { void operator()(SwsContext *s) const { sws_freeContext(s); } };
using TInputPtr = std::unique_ptr<AVFormatContext, TInputCloser>;

// Throws "FILE: what: FFmpeg's text" for a negative code.
int Check(int code, const QString &fileName, const QString &what)
{
    if (code >= 0)
        return code;
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    throw EVelmoraError(QStringLiteral("%1: %2: %3").arg(fileName, what, QString::fromLocal8Bit(text)));
}

TInputPtr OpenInput(const QString &fileName, int &stream)
{
    av_log_set_level(AV_LOG_QUIET);
    const QByteArray path = QFile::encodeName(fileName);
    AVFormatContext *raw = nullptr;
    Check(avformat_open_input(&raw, path.constData(), nullptr, nullptr), fileName, QStringLiteral("cannot open it"));
    TInputPtr input(raw);
    Check(avformat_find_stream_info(raw, nullptr), fileName, QStringLiteral("cannot read it"));
    stream = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream < 0)
        throw EVelmoraError(QStringLiteral("%1: it holds no video").arg(fileName));
    return input;
}

QString NameOr(const char *name)
{
    return name != nullptr ? QString::fromLatin1(name) : QStringLiteral("unknown");
}

QString FieldOrderName(AVFieldOrder order)
{
    switch (order) {
    case AV_FIELD_PROGRESSIVE: return QStringLiteral("progressive");
    case AV_FIELD_TT: return QStringLiteral("tt");
    case AV_FIELD_BB: return QStringLiteral("bb");
    case AV_FIELD_TB: return QStringLiteral("tb");
    case AV_FIELD_BT: return QStringLiteral("bt");
    default: return QStringLiteral("unknown");
    }
}

} // namespace

TDeliveredStream ProbeDelivered(const QString &fileName)
{
    int index = -1;
    const TInputPtr input = OpenInput(fileName, index);
    const AVStream *stream = input->streams[index];
    const AVCodecParameters *parameters = stream->codecpar;
    TDeliveredStream described;
    described.Format = QString::fromLatin1(input->iformat->name);
    described.Codec = NameOr(avcodec_get_name(parameters->codec_id));
    described.Width = parameters->width;
    described.Height = parameters->height;
    AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    if (rate.num > 0 && rate.den > 0) {
        av_reduce(&rate.num, &rate.den, rate.num, rate.den, 1 << 30);
        described.RateNum = rate.num;
        described.RateDen = rate.den;
    }
    for (const AVDictionary *metadata : {static_cast<const AVDictionary *>(stream->metadata), static_cast<const AVDictionary *>(input->metadata)})
        if (const AVDictionaryEntry *timecode = av_dict_get(metadata, "timecode", nullptr, 0); timecode && described.Timecode.isEmpty())
            described.Timecode = QString::fromLatin1(timecode->value);
    // QuickTime keeps its timecode in a data track of its own.
    for (unsigned i = 0; i < input->nb_streams && described.Timecode.isEmpty(); ++i)
        if (const AVDictionaryEntry *timecode = av_dict_get(input->streams[i]->metadata, "timecode", nullptr, 0))
            described.Timecode = QString::fromLatin1(timecode->value);
    described.Primaries = NameOr(av_color_primaries_name(parameters->color_primaries));
    described.Transfer = NameOr(av_color_transfer_name(parameters->color_trc));
    described.Matrix = NameOr(av_color_space_name(parameters->color_space));
    described.Range = NameOr(av_color_range_name(parameters->color_range));
    if (const AVPixFmtDescriptor *pixels = av_pix_fmt_desc_get(AVPixelFormat(parameters->format)))
        described.Rgb = (pixels->flags & AV_PIX_FMT_FLAG_RGB) != 0 || pixels->nb_components < 3;
    described.FieldOrder = FieldOrderName(parameters->field_order);
    const AVRational aspect = parameters->sample_aspect_ratio.num > 0 ? parameters->sample_aspect_ratio : stream->sample_aspect_ratio;
    described.AspectNum = aspect.num;
    described.AspectDen = aspect.den > 0 ? aspect.den : 1;
    return described;
}

qint64 DecodeLuma(const QString &fileName, const std::function<bool(const TLumaFrame &)> &visit)
{
    int index = -1;
    const TInputPtr input = OpenInput(fileName, index);
    const AVCodecParameters *parameters = input->streams[index]->codecpar;
    const AVCodec *codec = avcodec_find_decoder(parameters->codec_id);
    if (codec == nullptr)
        throw EVelmoraError(QStringLiteral("%1: this machine's FFmpeg has no decoder for %2")
                                .arg(fileName, NameOr(avcodec_get_name(parameters->codec_id))));
    std::unique_ptr<AVCodecContext, TDecoderCloser> context(avcodec_alloc_context3(codec));
    std::unique_ptr<AVPacket, TPacketCloser> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, TFrameCloser> frame(av_frame_alloc());
    if (!context || !packet || !frame)
        throw EVelmoraError(QStringLiteral("%1: out of memory").arg(fileName));
    Check(avcodec_parameters_to_context(context.get(), parameters), fileName, QStringLiteral("cannot read its video's settings"));
    Check(avcodec_open2(context.get(), codec, nullptr), fileName, QStringLiteral("cannot open its decoder"));
    std::unique_ptr<SwsContext, TScalerCloser> sws;
    int swsFormat = -1;
    TLumaFrame luma;
    qint64 count = 0;
    bool going = true;
    // Takes every frame the decoder has ready, until visit asks to stop.
    const auto drain = [&]() {
        while (going) {
            const int received = avcodec_receive_frame(context.get(), frame.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return;
            Check(received, fileName, QStringLiteral("cannot decode frame %1").arg(count));
            if (luma.Width != frame->width || luma.Height != frame->height || swsFormat != frame->format) {
                swsFormat = frame->format;
                luma.Width = frame->width;
                luma.Height = frame->height;
                luma.Samples.assign(std::size_t(luma.Width) * std::size_t(luma.Height), 0);
                // Luma only, no scaling: point sampling copies it as it is.
                sws.reset(sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width, frame->height,
                                         AV_PIX_FMT_GRAY8, SWS_POINT, nullptr, nullptr, nullptr));
                if (!sws)
                    throw EVelmoraError(QStringLiteral("%1: cannot convert its pixels").arg(fileName));
            }
            uint8_t *planes[4] = {luma.Samples.data(), nullptr, nullptr, nullptr};
            const int strides[4] = {luma.Width, 0, 0, 0};
            sws_scale(sws.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
            av_frame_unref(frame.get());
            ++count;
            going = visit(luma);
        }
    };
    while (going) {
        const int read = av_read_frame(input.get(), packet.get());
        if (read == AVERROR_EOF)
            break;
        Check(read, fileName, QStringLiteral("cannot read past frame %1").arg(count));
        if (packet->stream_index == index) {
            const int sent = avcodec_send_packet(context.get(), packet.get());
            av_packet_unref(packet.get());
            if (sent != AVERROR(EAGAIN))
                Check(sent, fileName, QStringLiteral("cannot decode frame %1").arg(count));
            drain();
        } else {
            av_packet_unref(packet.get());
        }
    }
    if (going) {
        Check(avcodec_send_packet(context.get(), nullptr), fileName, QStringLiteral("cannot finish decoding"));
        drain();
    }
    return count;
}

} // namespace velmora
