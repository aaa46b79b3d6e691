#include "core/export/encode/LibavSupport.h"

#include "core/export/ExportError.h"

#include <cstdio>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

namespace velmora {

namespace {

thread_local QString lastLogLine;

void KeepLogLine(void *, int level, const char *format, va_list arguments)
{
    if (level > AV_LOG_ERROR)
        return;
    char line[1024];
    std::vsnprintf(line, sizeof line, format, arguments);
    lastLogLine = QString::fromUtf8(line).trimmed();
}

} // namespace

void QuietLibavLog()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_callback(KeepLogLine); });
    lastLogLine.clear();
}

void TagBt709(AVCodecContext &context, bool yuv)
{
    context.color_primaries = AVCOL_PRI_BT709;
    context.color_trc = AVCOL_TRC_BT709;
    context.colorspace = yuv ? AVCOL_SPC_BT709 : AVCOL_SPC_RGB;
    context.color_range = yuv ? AVCOL_RANGE_MPEG : AVCOL_RANGE_JPEG;
}

void TagBt2100(AVCodecContext &context, bool yuv, bool pq)
{
    TagBt709(context, yuv);
    context.color_primaries = AVCOL_PRI_BT2020;
    context.color_trc = pq ? AVCOL_TRC_SMPTE2084 : AVCOL_TRC_ARIB_STD_B67;
    context.colorspace = yuv ? AVCOL_SPC_BT2020_NCL : AVCOL_SPC_RGB;
}

void ConvertWithMatrix(SwsContext *sws, int matrix)
{
    sws_setColorspaceDetails(sws, sws_getCoefficients(SWS_CS_DEFAULT), 1, sws_getCoefficients(matrix), 0, 0,
                             1 << 16, 1 << 16);
}

QString AvErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(code, text, sizeof text) < 0)
        return QStringLiteral("error %1").arg(code);
    return QString::fromLocal8Bit(text);
}

int CheckAv(int code, const QString &what)
{
    if (code < 0) {
        QString message = QStringLiteral("%1: %2").arg(what, AvErrorText(code));
        if (!lastLogLine.isEmpty())
            message += QStringLiteral(" (%1)").arg(lastLogLine);
        lastLogLine.clear();
        throw EExportError(message);
    }
    return code;
}

} // namespace velmora

namespace velmora {

TEncoderParts AllocateEncoder(const QByteArray &encoderName, const QString &title)
{
    QuietLibavLog();
    TEncoderParts parts;
    parts.Codec = avcodec_find_encoder_by_name(encoderName.constData());
    if (!parts.Codec)
        throw EExportError(QStringLiteral("The codec %1 is not available on this machine.").arg(title));
    parts.Context.reset(avcodec_alloc_context3(parts.Codec));
    parts.Frame.reset(av_frame_alloc());
    parts.Packet.reset(av_packet_alloc());
    if (!parts.Context || !parts.Frame || !parts.Packet)
        CheckAv(AVERROR(ENOMEM), QStringLiteral("Error setting up the codec %1").arg(title));
    return parts;
}

void SendAndDrain(AVCodecContext *context, const AVFrame *frame, AVPacket *packet,
                  const std::function<void(AVPacket *)> &out, const QString &what)
{
    auto drain = [&] {
        for (;;) {
            const int received = avcodec_receive_packet(context, packet);
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return;
            CheckAv(received, QStringLiteral("Error running %1").arg(what));
            out(packet);
            av_packet_unref(packet);
        }
    };
    for (;;) {
        const int sent = avcodec_send_frame(context, frame);
        if (sent == AVERROR(EAGAIN)) {
            drain();  // full: take its packets, then offer the frame again
            continue;
        }
        CheckAv(sent, QStringLiteral("Error feeding %1").arg(what));
        break;
    }
    drain();
}

void CopyRowsForScaler(const QImage &frame, int bytesPerPixel, AVFrame &padded)
{
    const qsizetype rowBytes = qsizetype(frame.width()) * bytesPerPixel;
    for (int y = 0; y < frame.height(); ++y)
        std::memcpy(padded.data[0] + qsizetype(y) * padded.linesize[0], frame.constScanLine(y), size_t(rowBytes));
}

} // namespace velmora
