#pragma once

#include <QRect>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <utility>

namespace velmora {

struct TFrameRate;

// A start timecode as typed: frames counted from 00:00:00:00 and whether its labels drop.
struct TTimecodeLabel
{
    qint64 Frames = 0;
    bool DropFrame = false;
};

// Frames per second a timecode counts: the rate rounded up (29.97 counts 30).
int TimecodeBase(const TFrameRate &rate);

// Reads "HH:MM:SS:FF", or "HH:MM:SS;FF" (drop-frame, at 30000/1001 and 60000/1001 only) at
// rate; throws EVelmoraError saying what the text or the rate lacks.
TTimecodeLabel ParseTimecode(const QString &text, const TFrameRate &rate);

// The label of the frame frames after 00:00:00:00 at rate, drop-frame or not, wrapping at
// 24 hours: the reverse of ParseTimecode.
struct TTimecodeDigits
{
    int Hours = 0;
    int Minutes = 0;
    int Seconds = 0;
    int Frames = 0;
};
TTimecodeDigits TimecodeDigits(qint64 frames, const TFrameRate &rate, bool dropFrame);

// The label of the frame offset frames after the one labelled start, drop-frame when start
// is; throws EVelmoraError as ParseTimecode does.
QString TimecodeAfterStart(const QString &start, qint64 offset, const TFrameRate &rate);

// Why start cannot be the start timecode of a project at frameRate whole frames per second;
// empty when it can, and for an empty start. A drop-frame start is judged at the NTSC rate it
// is delivered at (30 as 30000/1001, 60 as 60000/1001).
QString StartTimecodeProblem(const QString &start, int frameRate);

// The timecode the first frame written carries when a roll labelled from rollStart (empty:
// 00:00:00:00) is written from firstFrame on: the start itself for the whole roll, else the
// slice's place after it. Throws EVelmoraError as ParseTimecode does.
QString SliceStartTimecode(const QString &rollStart, qint64 firstFrame, const TFrameRate &rate);

// frames as "HH:MM:SS:FF" at frameRate frames per second (a rate below 1 counts as 1);
// hours go past 99 rather than wrap.
QString FormatTimecode(qint64 frames, int frameRate);

// frames as a project at rate labels them: drop-frame "HH:MM:SS;FF" at 29.97 and 59.94,
// else "HH:MM:SS:FF" counting the whole rate (24 for 23.976).
QString ProjectTimecode(qint64 frames, const TFrameRate &rate);

// Frames a roll of this position range gives at this scroll rate: the last frame may show
// less than a full step.
int FrameCountFor(int positionRange, int scrollRate);

// The running time of a roll: the frames its video holds, as a timecode.
QString RunningTime(int positionRange, int scrollRate, int frameRate);
QString RunningTime(int positionRange, int scrollRate, const TFrameRate &rate);

// The safe area of frame at percent of its width and height, centred.
QRect SafeArea(const QRect &frame, int percent);

// The roll position that brings band (top and bottom in frame pixels at position) into a frame
// of filmHeight, or nothing when it is in view already. A band taller than the frame shows its
// top; the result stays within 0 .. range.
std::optional<int> PositionShowing(int position, int filmHeight, std::pair<int, int> band, int range);

} // namespace velmora
