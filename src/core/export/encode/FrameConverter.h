#pragma once

#include "core/export/encode/LibavSupport.h"

#include <QSize>

namespace velmora {

// Converts Qt frames into an encoder's pixel format through one scaler, kept from frame to
// frame and rebuilt only when the frames' layout changes. Both libavcodec paths convert here,
// so a fix to the conversion reaches every file.
class TFrameConverter
{
public:
    struct TSetup
    {
        QSize Size;
        AVPixelFormat Target = AV_PIX_FMT_NONE;
        int Flags = 0;        // swscale flags
        int Threads = 1;      // slices converted side by side
        bool Bt709 = false;   // limited-range BT.709 luma and chroma instead of swscale's BT.601
        QString CodecTitle;   // for messages
        bool Bt2020 = false;  // with Bt709: BT.2020's (non-constant luminance) matrix instead
    };

    explicit TFrameConverter(TSetup setup) : m_setup(std::move(setup)) {}

    // Converts frame, whose pixels are laid out as source, into target (allocated and writable,
    // of the set size and pixel format). Throws EExportError.
    void Convert(const QImage &frame, AVPixelFormat source, AVFrame &target);

    // Makes target, allocated by av_frame_get_buffer, writable for the next frame, in memory
    // reused from frame to frame: an encoder working on several frames at once still holds the
    // previous ones, and fresh memory for every frame costs the kernel clearing its pages.
    void RenewTarget(AVFrame &target);

    // Bytes past each row's pixels that let the scaler read a frame where it lies; a frame with
    // fewer is copied into padded rows first.
    static constexpr int SpareRowBytes = 64;
    static bool ReadsInPlace(const QImage &frame, AVPixelFormat source);

private:
    void Rebuild(AVPixelFormat source);
    AVFrame &Staging(AVPixelFormat format, QSize size, const QString &what);

    TSetup m_setup;
    struct TBufferPoolDeleter { void operator()(AVBufferPool *p) const { av_buffer_pool_uninit(&p); } };

    TSwsPtr m_sws;
    std::unique_ptr<AVBufferPool, TBufferPoolDeleter> m_targets;
    size_t m_targetBytes = 0;
    AVPixelFormat m_source = AV_PIX_FMT_NONE;
    TFramePtr m_padded{av_frame_alloc()};  // each picture in the scaler's padded input layout, or in planes
};

} // namespace velmora
