#pragma once

#include "core/elements/ElementTypes.h"

namespace velmora {

namespace FitFlags {
inline constexpr int ShrinkOnly = 1;
inline constexpr int CenterVertically = 2;
inline constexpr int CenterHorizontally = 4;
} // namespace FitFlags

// Fits source's size into target keeping its aspect ratio. With a zero-sized source,
// fitted is target and scale is left as it was.
void FitRect(const TLayoutRect &source, const TLayoutRect &target, double &scale, TLayoutRect &fitted, int flags);

} // namespace velmora
