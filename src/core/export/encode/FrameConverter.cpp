#include "core/export/encode/FrameConverter.h"

#include "core/export/ExportError.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace velmora {

void TFrameConverter::Rebuild(AVPixelFormat source)
{
    // Set up by options so the conversion can run in slices on several threads.
    m_sws.reset(sws_alloc_context());
    SwsContext *sws = m_sws.get();
    const int width = m_setup.Size.width();
    const int height = m_setup.Size.height();
    const bool made = sws && av_opt_set_int(sws, "srcw", width, 0) >= 0 && av_opt_set_int(sws, "srch", height, 0) >= 0
        && av_opt_set_int(sws, "src_format", source, 0) >= 0 && av_opt_set_int(sws, "dstw", width, 0) >= 0
        && av_opt_set_int(sws, "dsth", height, 0) >= 0 && av_opt_set_int(sws, "dst_format", m_setup.Target, 0) >= 0
        && av_opt_set_int(sws, "sws_flags", m_setup.Flags, 0) >= 0 && av_opt_set_int(sws, "threads", m_setup.Threads, 0) >= 0
        && sws_init_context(sws, nullptr, nullptr) >= 0;
    if (!made) {
        m_sws.reset();
        throw EExportError(QStringLiteral("The frames cannot be converted for the codec %1.").arg(m_setup.CodecTitle));
    }
    if (m_setup.Bt709)
        ConvertWithMatrix(sws, m_setup.Bt2020 ? SWS_CS_BT2020 : SWS_CS_ITU709);
    m_source = source;
}

bool TFrameConverter::ReadsInPlace(const QImage &frame, AVPixelFormat source)
{
    const qsizetype rowBytes = qsizetype(frame.width()) * (av_get_padded_bits_per_pixel(av_pix_fmt_desc_get(source)) / 8);
    return frame.bytesPerLine() - rowBytes >= SpareRowBytes;
}

namespace {

// 16-bit RGB(A) as Qt lays it out into the planes G, B, R.
void SplitIntoPlanes(const QImage &frame, AVFrame &planes)
{
    const int width = frame.width();
    for (int y = 0; y < frame.height(); ++y) {
        const auto *in = reinterpret_cast<const quint16 *>(frame.constScanLine(y));
        auto *g = reinterpret_cast<quint16 *>(planes.data[0] + qsizetype(y) * planes.linesize[0]);
        auto *b = reinterpret_cast<quint16 *>(planes.data[1] + qsizetype(y) * planes.linesize[1]);
        auto *r = reinterpret_cast<quint16 *>(planes.data[2] + qsizetype(y) * planes.linesize[2]);
        for (int x = 0; x < width; ++x) {
            r[x] = in[4 * x];
            g[x] = in[4 * x + 1];
            b[x] = in[4 * x + 2];
        }
    }
}

} // namespace

void TFrameConverter::RenewTarget(AVFrame &target)
{
    if (av_frame_is_writable(&target))
        return;
    const QString what = QStringLiteral("Error preparing a frame for the codec %1").arg(m_setup.CodecTitle);
    // av_frame_get_buffer puts every plane in one buffer; a new one is cut up the same way.
    if (!target.buf[0] || target.buf[1]) {
        CheckAv(av_frame_make_writable(&target), what);
        return;
    }
    const size_t bytes = target.buf[0]->size;
    if (!m_targets || m_targetBytes != bytes) {
        m_targets.reset(av_buffer_pool_init(bytes, nullptr));
        m_targetBytes = bytes;
    }
    AVBufferRef *fresh = m_targets ? av_buffer_pool_get(m_targets.get()) : nullptr;
    if (!fresh)
        CheckAv(AVERROR(ENOMEM), what);
    const uint8_t *base = target.buf[0]->data;
    for (int i = 0; i < AV_NUM_DATA_POINTERS && target.data[i]; ++i)
        target.data[i] = fresh->data + (target.data[i] - base);
    av_buffer_unref(&target.buf[0]);
    target.buf[0] = fresh;
}

AVFrame &TFrameConverter::Staging(AVPixelFormat format, QSize size, const QString &what)
{
    if (!m_padded)
        CheckAv(AVERROR(ENOMEM), what);
    AVFrame *in = m_padded.get();
    if (!in->buf[0] || in->format != format || in->width != size.width() || in->height != size.height()) {
        av_frame_unref(in);
        in->format = format;
        in->width = size.width();
        in->height = size.height();
        CheckAv(av_frame_get_buffer(in, 0), what);
    }
    return *in;
}

void TFrameConverter::Convert(const QImage &frame, AVPixelFormat source, AVFrame &target)
{
    const QString what = QStringLiteral("Error converting a frame for the codec %1").arg(m_setup.CodecTitle);
    // The scaler reads packed 16-bit RGB several times slower than the same values in planes,
    // which it turns into the same results.
    const bool planar = source == AV_PIX_FMT_RGBA64 && !(av_pix_fmt_desc_get(m_setup.Target)->flags & AV_PIX_FMT_FLAG_ALPHA);
    const AVPixelFormat scaled = planar ? AV_PIX_FMT_GBRP16 : source;
    if (!m_sws || scaled != m_source)
        Rebuild(scaled);
    if (planar) {
        AVFrame &planes = Staging(scaled, frame.size(), what);
        SplitIntoPlanes(frame, planes);
        CheckAv(sws_scale_frame(m_sws.get(), &target, &planes), what);
        return;
    }
    if (ReadsInPlace(frame, source)) {
        // The scaler takes the frame's own memory, shared rather than copied: its rows have
        // the room past their end that the scaler's reads need.
        TFramePtr in(av_frame_alloc());
        auto *kept = new QImage(frame);
        AVBufferRef *buffer = in ? av_buffer_create(const_cast<uint8_t *>(kept->constBits()), int(kept->sizeInBytes()),
                                                    [](void *image, uint8_t *) { delete static_cast<QImage *>(image); },
                                                    kept, AV_BUFFER_FLAG_READONLY)
                                 : nullptr;
        if (!buffer) {
            delete kept;
            CheckAv(AVERROR(ENOMEM), what);
        }
        in->buf[0] = buffer;
        in->data[0] = buffer->data;
        in->linesize[0] = int(frame.bytesPerLine());
        in->format = source;
        in->width = frame.width();
        in->height = frame.height();
        CheckAv(sws_scale_frame(m_sws.get(), &target, in.get()), what);
        return;
    }
    AVFrame &padded = Staging(source, frame.size(), what);
    CopyRowsForScaler(frame, av_get_padded_bits_per_pixel(av_pix_fmt_desc_get(source)) / 8, padded);
    CheckAv(sws_scale_frame(m_sws.get(), &target, &padded), what);
}

} // namespace velmora
