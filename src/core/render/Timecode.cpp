#include "core/render/Timecode.h"

#include <algorithm>

namespace velmora {

QString FormatTimecode(qint64 frame, int fps)
{
    frame = std::max<qint64>(frame, 0);
    fps = std::max(fps, 1);
    const qint64 seconds = frame / fps;
    const auto two = [](qint64 value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); };
    return QStringLiteral("%1:%2:%3:%4")
        .arg(two(seconds / 3600), two(seconds / 60 % 60), two(seconds % 60), two(frame % fps));
}

} // namespace velmora
