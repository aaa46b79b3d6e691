#pragma once

#include "core/elements/Alignments.h"

#include <QtGlobal>
#include <cstdint>

namespace velmora {

// Layout rectangle handed to Render: X, Y, Width, Height in pixels, Y growing downward.
struct TLayoutRect
{
    qint32 X = 0;
    qint32 Y = 0;
    qint32 Width = 0;
    qint32 Height = 0;

    friend bool operator==(const TLayoutRect &, const TLayoutRect &) = default;
};

// Layout arithmetic held to the 32-bit range: a crafted offset or size near 2^31 gives the
// nearest representable coordinate instead of wrapping around.
constexpr qint32 ClampToInt32(qint64 value)
{
    return value < INT32_MIN ? INT32_MIN : value > INT32_MAX ? INT32_MAX : qint32(value);
}
constexpr qint32 SaturatingAdd(qint32 a, qint64 b)
{
    // b is at most one 64-bit sum of two 32-bit values, so the sum cannot overflow 64 bits.
    return ClampToInt32(qint64(a) + b);
}

// Bits of the draw flags byte given to Render.
namespace DrawFlags {
inline constexpr quint8 ShowPlaceholders = 0x01;
inline constexpr quint8 Focused = 0x02;
// Velmora's own: the element may skip painting when nothing of it reaches the painter's device.
// Layout results (heights, stored fixed heights) are the same with or without it.
inline constexpr quint8 SkipInvisible = 0x04;
// Velmora's own: only place and measure; draw nothing (roll height, frame count).
inline constexpr quint8 MeasureOnly = 0x08;
} // namespace DrawFlags

// ARGB colour, alpha in the top byte.
using TArgb = quint32;

// Which icon the element tree asks for.
enum TTreeImageKind : int { ikNormal = 0, ikSelected = 1, ikState = 2, ikOverlay = 3 };

// Where a dragged node would land relative to the target node.
enum TDropMode : int { dmNowhere = 0, dmAbove = 1, dmOnto = 2, dmBelow = 3 };

} // namespace velmora
