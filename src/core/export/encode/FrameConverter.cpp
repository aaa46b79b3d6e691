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
        ConvertWithBt709(sws);
    m_source = source;
}

void TFrameConverter::Convert(const QImage &frame, AVPixelFormat source, AVFrame &target)
{
    const QString what = QStringLiteral("Error converting a frame for the codec %1").arg(m_setup.CodecTitle);
    if (!m_padded)
        CheckAv(AVERROR(ENOMEM), what);
    if (!m_sws || source != m_source)
        Rebuild(source);
    AVFrame *in = m_padded.get();
    if (!in->buf[0] || in->format != source || in->width != frame.width() || in->height != frame.height()) {
        av_frame_unref(in);
        in->format = source;
        in->width = frame.width();
        in->height = frame.height();
        CheckAv(av_frame_get_buffer(in, 0), what);
    }
    CopyRowsForScaler(frame, av_get_padded_bits_per_pixel(av_pix_fmt_desc_get(source)) / 8, *in);
    CheckAv(sws_scale_frame(m_sws.get(), &target, in), what);
}

} // namespace velmora
