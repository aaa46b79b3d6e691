#pragma once

#include "core/export/formats/FrameSink.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace velmora {

// A timecode as its fields; hours wrap at 24 as in the files that carry it.
struct TTimecodeFields
{
    int Hours = 0;
    int Minutes = 0;
    int Seconds = 0;
    int Frames = 0;
    bool DropFrame = false;

    // SMPTE 12M packing, as DPX and OpenEXR keep it: BCD HH MM SS FF from the high byte down,
    // drop-frame in bit 6.
    quint32 Packed() const;
};

// The timecode offset frames after start ("HH:MM:SS:FF", or with ';' before the frames for
// drop-frame at 30000/1001 and 60000/1001) at rate; nothing when start is not a timecode.
std::optional<TTimecodeFields> TimecodeAfter(const QString &start, qint64 offset, const TFrameRate &rate);

// What a DPX or OpenEXR file says about its frame beyond the pixels.
struct TImageTags
{
    TFrameRate Rate;
    std::optional<TTimecodeFields> Timecode;
    bool Hdr = false;  // PQ or HLG BT.2020, which DPX has no codes for
};

// libavcodec's DPX encoder writes no industry headers and calls display-referred pixels
// linear. This inserts the film and television headers (frame rate, timecode), tags transfer
// and colorimetry as BT.709 and sets the reference white to the top code value. Throws
// EExportError when dpx is not a DPX file of the layout libavcodec writes.
QByteArray WithDpxTags(const QByteArray &dpx, const TImageTags &tags);

// Adds a cICP chunk after the header of a PNG file: BT.2020 primaries, PQ or HLG transfer,
// full-range RGB, which is how PNG says a picture is HDR. Throws EExportError when png does
// not start with a header chunk.
QByteArray WithPngColour(const QByteArray &png, bool pq);

// Adds a timeCode and, when missing, a framesPerSecond attribute to a single-part scanline
// OpenEXR file: the header grows, so every offset in the chunk table moves with it. Throws
// EExportError when exr is not such a file.
QByteArray WithExrTags(const QByteArray &exr, const TImageTags &tags);

} // namespace velmora
