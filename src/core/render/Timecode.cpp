#include "core/render/Timecode.h"

#include "core/export/GenerationRun.h"

#include <algorithm>
#include <cmath>

namespace velmora {

QString FormatTimecode(qint64 frames, int frameRate)
{
    const qint64 rate = std::max(1, frameRate);
    frames = std::max<qint64>(0, frames);
    const qint64 seconds = frames / rate;
    return QStringLiteral("%1:%2:%3:%4")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(frames % rate, 2, 10, QLatin1Char('0'));
}

QString RunningTime(int positionRange, int scrollRate, int frameRate)
{
    return FormatTimecode(FrameCountFor(positionRange, scrollRate), frameRate);
}

QRect SafeArea(const QRect &frame, int percent)
{
    // Rounded to whole pixels, with the margins shared equally on both sides.
    const int width = int(std::lround(frame.width() * percent / 100.0));
    const int height = int(std::lround(frame.height() * percent / 100.0));
    return QRect(frame.x() + (frame.width() - width) / 2, frame.y() + (frame.height() - height) / 2, width, height);
}

std::optional<int> PositionShowing(int position, int filmHeight, std::pair<int, int> band, int range)
{
    const auto [top, bottom] = band;
    if (top >= 0 && bottom <= filmHeight)
        return std::nullopt;
    // Centred when it fits, its top at the frame's top otherwise.
    const int height = bottom - top;
    const int margin = height < filmHeight ? (filmHeight - height) / 2 : 0;
    const int wanted = std::clamp(position + top - margin, 0, std::max(0, range));
    return wanted == position ? std::nullopt : std::optional<int>(wanted);
}

} // namespace velmora
