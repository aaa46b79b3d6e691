// The 80-bit extended conversion: exact for every double, rounded to nearest-even back.
#include "core/typedfiler/ExtendedFloat.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <limits>
#include <numbers>

using namespace velmora;

namespace {

quint64 Bits(double value) { return std::bit_cast<quint64>(value); }

TExtendedBytes Extended(quint16 signAndExponent, quint64 significand)
{
    TExtendedBytes bytes{};
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<quint8>(significand >> (8 * i));
    bytes[8] = static_cast<quint8>(signAndExponent);
    bytes[9] = static_cast<quint8>(signAndExponent >> 8);
    return bytes;
}

TEST(ExtendedFloatTest, DoublesRoundTripBitForBit)
{
    using L = std::numeric_limits<double>;
    const double values[] = {
        0.0, -0.0, 1.0, -1.0, std::numbers::pi, 1.0 / 3.0, 36526.75, DBL_MAX, -DBL_MAX, DBL_MIN,
        L::denorm_min(), -L::denorm_min(), DBL_MIN - L::denorm_min(), std::nextafter(1.0, 2.0), 1e-310,
        L::infinity(), -L::infinity(), L::quiet_NaN(), -L::quiet_NaN(), L::signaling_NaN(),
        std::bit_cast<double>(0x7FF0000000000001ull), std::bit_cast<double>(0xFFF8DEADBEEF0001ull),
    };
    for (double value : values) {
        const double back = ExtendedToDouble(DoubleToExtended(value));
        EXPECT_EQ(Bits(back), Bits(value)) << std::hex << Bits(value);
    }
}

TEST(ExtendedFloatTest, EncodesKnownLayouts)
{
    EXPECT_EQ(DoubleToExtended(1.0), Extended(0x3FFF, 0x8000000000000000ull));
    EXPECT_EQ(DoubleToExtended(-2.0), Extended(0xC000, 0x8000000000000000ull));
    EXPECT_EQ(DoubleToExtended(-0.0), Extended(0x8000, 0));
    EXPECT_EQ(DoubleToExtended(std::numeric_limits<double>::infinity()), Extended(0x7FFF, 0x8000000000000000ull));
    // The smallest denormal double is a normal extended number: 2^-1074.
    EXPECT_EQ(DoubleToExtended(std::numeric_limits<double>::denorm_min()),
              Extended(16383 - 1074, 0x8000000000000000ull));
}

struct TDecodeRow
{
    const char *Name;
    TExtendedBytes Bytes;
    double Expected;
};

TEST(ExtendedFloatTest, DecodesWiderValuesToNearestDouble)
{
    using L = std::numeric_limits<double>;
    const TDecodeRow rows[] = {
        {"FullPrecisionPi", Extended(0x4000, 0xC90FDAA22168C235ull), std::numbers::pi},
        {"TieRoundsToEven", Extended(0x3FFF, 0x8000000000000400ull), 1.0},
        {"TieRoundsUpToEven", Extended(0x3FFF, 0x8000000000000C00ull), std::nextafter(std::nextafter(1.0, 2.0), 2.0)},
        {"AboveTieRoundsUp", Extended(0x3FFF, 0x8000000000000401ull), std::nextafter(1.0, 2.0)},
        {"Unnormal", Extended(0x3FFF, 0x4000000000000000ull), 0.5},
        {"ExtendedDenormal", Extended(0x0000, 0x0000000000000001ull), 0.0},
        {"BeyondDoubleRange", Extended(0x4400, 0x8000000000000000ull), L::infinity()},
        {"NegativeBeyondRange", Extended(0xC400, 0x8000000000000000ull), -L::infinity()},
        {"RoundsUpToOverflow", Extended(0x43FE, 0xFFFFFFFFFFFFFFFFull), L::infinity()},
        {"BelowHalfDenormMin", Extended(16383 - 1076, 0x8000000000000000ull), 0.0},
        {"HalfDenormMinTiesToZero", Extended(16383 - 1075, 0x8000000000000000ull), 0.0},
        {"AboveHalfDenormMin", Extended(16383 - 1075, 0x8000000000000001ull), L::denorm_min()},
        {"DenormalTieRoundsToEven", Extended(16383 - 1073, 0xE000000000000000ull), 4 * L::denorm_min()},
        {"RoundsUpToSmallestNormal", Extended(16383 - 1023, 0xFFFFFFFFFFFFFFFFull), DBL_MIN},
    };
    for (const TDecodeRow &row : rows)
        EXPECT_EQ(Bits(ExtendedToDouble(row.Bytes)), Bits(row.Expected)) << row.Name;
}

TEST(ExtendedFloatTest, NotANumberStaysNotANumber)
{
    // Pseudo-infinity (no integer bit) and a payload only in the low bits.
    EXPECT_TRUE(std::isnan(ExtendedToDouble(Extended(0x7FFF, 0))));
    EXPECT_TRUE(std::isnan(ExtendedToDouble(Extended(0xFFFF, 0x8000000000000001ull))));
}

} // namespace
