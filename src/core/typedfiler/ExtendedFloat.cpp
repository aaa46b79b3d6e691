#include "core/typedfiler/ExtendedFloat.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace velmora {

namespace {

constexpr int DoubleBias = 1023;
constexpr int ExtendedBias = 16383;
constexpr quint16 ExtendedMaxExponent = 0x7FFF;
constexpr quint64 IntegerBit = quint64(1) << 63;
constexpr quint64 DoubleFractionMask = (quint64(1) << 52) - 1;
constexpr quint64 DoubleQuietBit = quint64(1) << 51;

TExtendedBytes Pack(bool negative, quint16 exponent, quint64 significand)
{
    TExtendedBytes bytes{};
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<quint8>(significand >> (8 * i));
    const quint16 top = static_cast<quint16>((negative ? 0x8000 : 0) | (exponent & ExtendedMaxExponent));
    bytes[8] = static_cast<quint8>(top);
    bytes[9] = static_cast<quint8>(top >> 8);
    return bytes;
}

double FromBits(bool negative, quint64 magnitudeBits)
{
    return std::bit_cast<double>(magnitudeBits | (negative ? IntegerBit : 0));
}

} // namespace

TExtendedBytes DoubleToExtended(double value)
{
    const auto bits = std::bit_cast<quint64>(value);
    const bool negative = (bits >> 63) != 0;
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    const quint64 fraction = bits & DoubleFractionMask;

    if (exponent == 0x7FF) // infinity (fraction 0) or NaN with its payload in the upper fraction
        return Pack(negative, ExtendedMaxExponent, IntegerBit | (fraction << 11));
    if (exponent == 0 && fraction == 0)
        return Pack(negative, 0, 0);
    if (exponent == 0) {
        // Denormal doubles are normal numbers in the wider exponent range.
        const int shift = std::countl_zero(fraction);
        const int unbiased = -1074 + 63 - shift;
        return Pack(negative, static_cast<quint16>(unbiased + ExtendedBias), fraction << shift);
    }
    return Pack(negative, static_cast<quint16>(exponent - DoubleBias + ExtendedBias),
                IntegerBit | (fraction << 11));
}

double ExtendedToDouble(const TExtendedBytes &bytes)
{
    quint64 significand = 0;
    for (int i = 7; i >= 0; --i)
        significand = (significand << 8) | bytes[i];
    const quint16 top = static_cast<quint16>(bytes[8] | (bytes[9] << 8));
    const bool negative = (top & 0x8000) != 0;
    const int exponent = top & ExtendedMaxExponent;

    if (exponent == ExtendedMaxExponent) {
        const quint64 fraction = significand & ~IntegerBit;
        if (fraction == 0 && (significand & IntegerBit) != 0)
            return FromBits(negative, quint64(0x7FF) << 52);
        // NaN (pseudo-infinities included): keep what fits of the payload, stay a NaN.
        quint64 payload = (fraction >> 11) & DoubleFractionMask;
        if (payload == 0)
            payload = DoubleQuietBit;
        return FromBits(negative, (quint64(0x7FF) << 52) | payload);
    }
    if (significand == 0)
        return FromBits(negative, 0);

    // value = significand * 2^(e - 63), with the significand normalised to bit 63.
    int e = (exponent == 0 ? 1 : exponent) - ExtendedBias;
    const int shift = std::countl_zero(significand);
    significand <<= shift;
    e -= shift;

    // Bits to drop: 11 for a normal double, more where the result becomes denormal.
    const int drop = std::max(11, -1011 - e);
    if (drop > 65)
        return FromBits(negative, 0);
    const unsigned __int128 wide = significand;
    unsigned __int128 kept = wide >> drop;
    const unsigned __int128 rest = wide & ((static_cast<unsigned __int128>(1) << drop) - 1);
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (drop - 1);
    if (rest > half || (rest == half && (kept & 1) != 0))
        ++kept;
    // kept has at most 54 bits, so the conversion is exact; ldexp rounds nothing more
    // and overflows to infinity where the exponent is out of range.
    const double magnitude = std::ldexp(static_cast<double>(static_cast<quint64>(kept)), e - 63 + drop);
    return negative ? -magnitude : magnitude;
}

} // namespace velmora
