#include "core/signoff/DeliveredVideo.h"

#include "core/error.h"
#include "core/export/encode/LibavSupport.h"
#include "core/export/ExportError.h"

#include <QFile>
#include <memory>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

namespace velmora {

namespace {

struct TInputCloser { void operator()(AVFormatContext *c) const { avformat_close_input(&c); } };
using TInputPtr = std::unique_ptr<AVFormatContext, TInputCloser>;

// FFmpeg's failures as the core's one error, with the file named.
template <typename Call>
auto Checked(const QString &fileName, Call &&call)
{
    try {
        return call();
    } catch (const EExportError &error) {
        throw EVelmoraError(QStringLiteral("%1: %2").arg(fileName, error.message()));
    }
}

TInputPtr OpenInput(const QString &fileName, int &stream)
{
    QuietLibavLog();
    return Checked(fileName, [&] {
        const QByteArray path = QFile::encodeName(fileName);
        AVFormatContext *raw = nullptr;
        CheckAv(avformat_open_input(&raw, path.constData(), nullptr, nullptr), QStringLiteral("cannot open it"));
        TInputPtr input(raw);
        CheckAv(avformat_find_stream_info(raw, nullptr), QStringLiteral("cannot read it"));
        stream = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (stream < 0)
            throw EExportError(QStringLiteral("it holds no video"));
        return input;
    });
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
    return Checked(fileName, [&]() -> qint64 {
        const AVCodecParameters *parameters = input->streams[index]->codecpar;
        const AVCodec *codec = avcodec_find_decoder(parameters->codec_id);
        if (codec == nullptr)
            throw EExportError(QStringLiteral("this machine's FFmpeg has no decoder for %1").arg(NameOr(avcodec_get_name(parameters->codec_id))));
        TCodecContextPtr context(avcodec_alloc_context3(codec));
        if (!context)
            throw EExportError(QStringLiteral("out of memory"));
        CheckAv(avcodec_parameters_to_context(context.get(), parameters), QStringLiteral("cannot read its video's settings"));
        CheckAv(avcodec_open2(context.get(), codec, nullptr), QStringLiteral("cannot open its decoder"));
        TPacketPtr packet(av_packet_alloc());
        TFramePtr frame(av_frame_alloc());
        if (!packet || !frame)
            throw EExportError(QStringLiteral("out of memory"));
        TSwsPtr sws;
        int swsFormat = -1;
        TLumaFrame luma;
        qint64 count = 0;
        bool going = true;
        // Takes every frame the decoder has ready; false once visit asked to stop.
        const auto drain = [&]() {
            while (going) {
                const int received = avcodec_receive_frame(context.get(), frame.get());
                if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                    return;
                CheckAv(received, QStringLiteral("cannot decode frame %1").arg(count));
                if (luma.Width != frame->width || luma.Height != frame->height || swsFormat != frame->format) {
                    swsFormat = frame->format;
                    luma.Width = frame->width;
                    luma.Height = frame->height;
                    luma.Samples.assign(std::size_t(luma.Width) * std::size_t(luma.Height), 0);
                    sws.reset(sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                             frame->height, AV_PIX_FMT_GRAY8, SWS_POINT, nullptr, nullptr, nullptr));
                    if (!sws)
                        throw EExportError(QStringLiteral("cannot convert its pixels"));
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
            CheckAv(read, QStringLiteral("cannot read packet after frame %1").arg(count));
            if (packet->stream_index == index) {
                const int sent = avcodec_send_packet(context.get(), packet.get());
                av_packet_unref(packet.get());
                if (sent != AVERROR(EAGAIN))
                    CheckAv(sent, QStringLiteral("cannot decode frame %1").arg(count));
                drain();
            } else {
                av_packet_unref(packet.get());
            }
        }
        if (going) {
            CheckAv(avcodec_send_packet(context.get(), nullptr), QStringLiteral("cannot finish decoding"));
            drain();
        }
        return count;
    });
}

} // namespace velmora
