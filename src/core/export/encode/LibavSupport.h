#pragma once

#include <QImage>
#include <QString>
#include <functional>
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

// Keeps FFmpeg's log off the terminal for good: its lines are kept per thread instead, and
// CheckAv adds the last error line to its message. Safe to call often.
void QuietLibavLog();

// An encoder found by name with what driving it takes. Throws EExportError naming title
// when this machine's libavcodec lacks it or memory runs out.
struct TEncoderParts
{
    const AVCodec *Codec = nullptr;
    TCodecContextPtr Context;
    TFramePtr Frame;
    TPacketPtr Packet;
};
TEncoderParts AllocateEncoder(const QByteArray &encoderName, const QString &title);

// Copies the rows of frame into padded, an allocated frame of its size. The scaler reads whole
// vector registers past a row's end, so it gets rows from a buffer padded for that, not the
// picture's own, which may end right at an unmapped page.
void CopyRowsForScaler(const QImage &frame, int bytesPerPixel, AVFrame &padded);

// Sends a frame (nullptr: the end) and hands every packet that comes out to out, taking
// packets first when the encoder is full. what names the codec in errors.
void SendAndDrain(AVCodecContext *context, const AVFrame *frame, AVPacket *packet,
                  const std::function<void(AVPacket *)> &out, const QString &what);

// Tags context as BT.709: limited-range luma and chroma for yuv, full-range RGB otherwise.
// The bitstream's own tags (H.264's VUI) and the container's then say the same.
void TagBt709(AVCodecContext &context, bool yuv);

// Tags context as BT.2020 with the PQ or HLG transfer, ranges as TagBt709.
void TagBt2100(AVCodecContext &context, bool yuv, bool pq);

// Makes a scaler from full-range RGB convert with matrix (SWS_CS_ITU709, SWS_CS_BT2020) into
// limited range; swscale takes BT.601 unless told, and players decode by the tags.
void ConvertWithMatrix(SwsContext *sws, int matrix);

// FFmpeg's own text for an error code.
QString AvErrorText(int code);

// Throws EExportError with "<what>: <FFmpeg's text>" (and FFmpeg's last error line on this
// thread, in brackets) when code is negative; returns code otherwise.
int CheckAv(int code, const QString &what);

} // namespace velmora
