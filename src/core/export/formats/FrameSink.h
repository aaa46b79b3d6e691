#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include "core/render/FrameRate.h"

namespace velmora {

// What every sink is opened with; the format's own choices travel in the sink itself.
struct TSinkSettings
{
    QString FileName;   // a file, or for sequences a pattern with one %0Nd
    QSize Size;
    TFrameRate Rate;
    bool Alpha = false;  // frames come with straight alpha and the file keeps it
    int Threads = 0;     // encoding threads; 0: every core
};

// Where a generation run puts its frames: a video file or numbered images.
class IFrameSink
{
public:
    virtual ~IFrameSink() = default;
    // Creates the output. False when the user cancelled a choice offered on the way (nothing
    // is left behind then). Throws EExportError with a message for the user.
    virtual bool Open(const TSinkSettings &settings) = 0;
    // Takes one frame of the opened size: Format_BGR888 when opaque (also Format_RGB32 for
    // sinks that take it), Format_ARGB32 (straight alpha) with Alpha; from sinks that take deep
    // frames also Format_RGBX64 and Format_RGBA64 (straight alpha). Throws EExportError.
    virtual void Write(const QImage &frame) = 0;
    // True when opaque frames may come as Format_RGB32, as they are drawn, saving a conversion.
    virtual bool TakesRgb32Frames() const { return false; }
    // True when the output keeps more than 8 bits a channel, so frames are best drawn at 16.
    virtual bool TakesDeepFrames() const { return false; }
    // Asks the sink, from any thread, to give up frames it has not started on; frames already
    // finished in order stay and Close() still leaves a playable file.
    virtual void RequestStop() {}
    // Finishes the output and puts it in place; safe to call repeatedly. Throws EExportError.
    virtual void Close() = 0;
    // Finishes after a failed run: an output that would replace a previous one is given up
    // (FramesWritten() is then 0), otherwise what was written is kept. Never throws.
    virtual void CloseAfterFailure() = 0;
    // Frames in the output so far (after Close: in the finished output).
    virtual int FramesWritten() const = 0;
    // Average bytes of coded video a second so far, for sinks that count them; -1 otherwise.
    virtual qint64 VideoBytesPerSecond() const { return -1; }
};

} // namespace velmora
