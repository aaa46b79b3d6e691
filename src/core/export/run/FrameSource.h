#pragma once

#include "core/render/FrameRate.h"

#include <QImage>
#include <QSize>

namespace velmora {

// Renders roll frames for the generation run; called on the caller's thread only.
class IFrameSource
{
public:
    virtual ~IFrameSource() = default;
    virtual QSize FilmSize() const = 0;          // of the frames handed out, scale included
    virtual int Scale() const { return 1; }      // frame pixels per roll pixel
    virtual int FrameRate() const = 0;            // whole frames a second timecodes count
    // The rate the video runs at: FrameRate, or its NTSC fraction (24000/1001).
    virtual TFrameRate VideoRate() const { return {FrameRate(), 1}; }
    virtual int ScrollRate() const = 0;          // re-read every frame
    virtual int PositionRange() const = 0;       // H + C as of the last render
    // Film size, Format_ARGB32_Premultiplied; Format_RGBA64_Premultiplied after SetDeepFrames(true).
    virtual const QImage &RenderFrame(int position) = 0;
    // Asks for frames at 16 bits a channel, for outputs deeper than 8 bits. A source that cannot
    // draw them keeps handing out 8-bit frames; the run follows the format it gets.
    virtual void SetDeepFrames(bool) {}
    // Offers a frame for the next RenderFrame to draw into, when it has the size and format
    // that render needs; a source that cannot use it draws into its own.
    virtual void SetNextFrame(QImage) {}
    // A roll with cards runs by frame number rather than position: how many frames it has, or -1
    // for a roll that scrolls only (RenderFrame by position, as always).
    virtual qint64 TimedFrameCount() { return -1; }
    // Frame number frame of a roll with cards.
    virtual const QImage &RenderFrameNumber(qint64 frame) { return RenderFrame(int(frame * ScrollRate())); }
    // True when every pixel of the last frame rendered is opaque.
    virtual bool FrameOpaque() const { return false; }
};

} // namespace velmora
