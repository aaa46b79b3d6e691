#pragma once

#include <QString>

namespace velmora {

// Running time of frame (counted from 0) as "HH:MM:SS:FF" at fps frames per second.
// Hours grow past two digits; a negative frame reads as 0 and a rate below 1 as 1.
QString FormatTimecode(qint64 frame, int fps);

} // namespace velmora
