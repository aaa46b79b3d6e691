#pragma once

#include <QRect>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <utility>

namespace velmora {

// frames as "HH:MM:SS:FF" at frameRate frames per second (a rate below 1 counts as 1);
// hours go past 99 rather than wrap.
QString FormatTimecode(qint64 frames, int frameRate);

// The running time of a roll: the frames its video holds, as a timecode.
QString RunningTime(int positionRange, int scrollRate, int frameRate);

// The safe area of frame at percent of its width and height, centred.
QRect SafeArea(const QRect &frame, int percent);

// The roll position that brings band (top and bottom in frame pixels at position) into a frame
// of filmHeight, or nothing when it is in view already. A band taller than the frame shows its
// top; the result stays within 0 .. range.
std::optional<int> PositionShowing(int position, int filmHeight, std::pair<int, int> band, int range);

} // namespace velmora
