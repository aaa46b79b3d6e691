#pragma once

#include <QString>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace velmora {

// Owning pointers for the FFmpeg objects the encoders use.
struct TCodecContextDeleter { void operator()(AVCodecContext *c) const { avcodec_free_context(&c); } };
struct TFrameDeleter { void operator()(AVFrame *f) const { av_frame_free(&f); } };
struct TPacketDeleter { void operator()(AVPacket *p) const { av_packet_free(&p); } };
struct TSwsDeleter { void operator()(SwsContext *s) const { sws_freeContext(s); } };

using TCodecContextPtr = std::unique_ptr<AVCodecContext, TCodecContextDeleter>;
using TFramePtr = std::unique_ptr<AVFrame, TFrameDeleter>;
using TPacketPtr = std::unique_ptr<AVPacket, TPacketDeleter>;
using TSwsPtr = std::unique_ptr<SwsContext, TSwsDeleter>;

// FFmpeg's own text for an error code.
QString AvErrorText(int code);

// Throws EExportError with "<what>: <FFmpeg's text>" when code is negative; returns code otherwise.
int CheckAv(int code, const QString &what);

} // namespace velmora
