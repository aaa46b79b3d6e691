#pragma once

#include <array>
#include <QtGlobal>

namespace velmora {

// The ten bytes of an 80-bit extended precision number: the 64-bit significand with its
// explicit integer bit, then sign and 15-bit exponent (bias 16383), all little-endian.
using TExtendedBytes = std::array<quint8, 10>;

// Encodes a double exactly; zeros, denormals, infinities and NaN payloads are kept.
TExtendedBytes DoubleToExtended(double value);

// Decodes to the nearest double (ties to even); too large gives infinity, too small zero.
double ExtendedToDouble(const TExtendedBytes &bytes);

} // namespace velmora
