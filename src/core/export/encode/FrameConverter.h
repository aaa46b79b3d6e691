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
    };

    explicit TFrameConverter(TSetup setup) : m_setup(std::move(setup)) {}

    // Converts frame, whose pixels are laid out as source, into target (allocated and writable,
    // of the set size and pixel format). Throws EExportError.
    void Convert(const QImage &frame, AVPixelFormat source, AVFrame &target);

private:
    void Rebuild(AVPixelFormat source);

    TSetup m_setup;
    TSwsPtr m_sws;
    AVPixelFormat m_source = AV_PIX_FMT_NONE;
    TFramePtr m_padded{av_frame_alloc()};  // each picture in the scaler's padded input layout
};

} // namespace velmora
