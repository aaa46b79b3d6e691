#pragma once

#include <bit>
#include <cstdint>

namespace velmora {

// The quiet NaN that stands for an undefined hue (all bits set except the sign).
inline constexpr double UndefinedHue = std::bit_cast<double>(std::uint64_t{0x7FFFFFFFFFFFFFFF});

// True when the exponent bits are all ones and the fraction is not zero.
constexpr bool IsNaN(double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return (bits & 0x7FF0000000000000ULL) == 0x7FF0000000000000ULL && (bits & 0x000FFFFFFFFFFFFFULL) != 0;
}

} // namespace velmora
