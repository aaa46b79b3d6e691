// Colour conversions, rounding and the hue/saturation disc.
#include "controls/HSVLibrary.h"
#include "controls/IEEE754.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <tuple>

namespace velmora {
namespace {

TEST(Rounding, HalvesToEvenAndAwayFromZero)
{
    struct Row { double value; int even; int away; };
    const Row rows[] = {
        {0.5, 0, 1}, {1.5, 2, 2}, {2.5, 2, 3}, {-0.5, 0, -1}, {-1.5, -2, -2}, {-2.5, -2, -3},
        {2.4999999, 2, 2}, {2.5000001, 3, 3}, {254.5, 254, 255}, {127.5, 128, 128}, {0.0, 0, 0},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(RoundHalfEven(row.value), row.even) << row.value;
        EXPECT_EQ(RoundHalfAway(row.value), row.away) << row.value;
    }
}

TEST(IEEE754, UndefinedHueIsTheAgreedNaN)
{
    EXPECT_EQ(std::bit_cast<std::uint64_t>(UndefinedHue), 0x7FFFFFFFFFFFFFFFULL);
    EXPECT_TRUE(IsNaN(UndefinedHue));
    EXPECT_TRUE(IsNaN(std::nan("")));
    EXPECT_FALSE(IsNaN(INFINITY));
    EXPECT_FALSE(IsNaN(-INFINITY));
    EXPECT_FALSE(IsNaN(360.0));
}

TEST(RGBtoHSV, ExampleRows)
{
    struct Row { double r, g, b, h, s, v; };
    const Row rows[] = {
        {255, 0, 0, 0, 1, 255},
        {0, 0, 255, 240, 1, 255},
        {255, 0, 128, 60.0 * (0 - 128) / 255 + 360, 1, 255},
        {0, 255, 0, 120, 1, 255},
        {255, 255, 0, 60, 1, 255},
        {0, 128, 128, 180, 1, 128},
        {100, 50, 50, 0, 0.5, 100},
        {0.2, 0.4, 0.4, 180, 0.5, 0.4},
    };
    for (const Row &row : rows) {
        const THSVReal hsv = RGBtoHSV(row.r, row.g, row.b);
        EXPECT_NEAR(hsv.H, row.h, 1e-9) << row.r << "," << row.g << "," << row.b;
        EXPECT_NEAR(hsv.S, row.s, 1e-9);
        EXPECT_NEAR(hsv.V, row.v, 1e-9);
    }
}

TEST(RGBtoHSV, GreyAndBlackHaveUndefinedHue)
{
    for (double grey : {0.0, 1.0, 128.0, 255.0}) {
        const THSVReal hsv = RGBtoHSV(grey, grey, grey);
        EXPECT_EQ(hsv.S, 0);
        EXPECT_EQ(hsv.V, grey);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(hsv.H), 0x7FFFFFFFFFFFFFFFULL);
    }
}

TEST(HSVtoRGB, ExampleRows)
{
    struct Row { double h, s, v, r, g, b; };
    const Row rows[] = {
        {UndefinedHue, 0, 0.5, 0.5, 0.5, 0.5},
        {360, 1, 1, 1, 0, 0},
        {0, 1, 1, 1, 0, 0},
        {30, 1, 1, 1, 0.5, 0},
        {60, 1, 1, 1, 1, 0},
        {180, 1, 1, 0, 1, 1},
        {240, 0.5, 0.8, 0.4, 0.4, 0.8},
        {300, 1, 1, 1, 0, 1},
        {330, 1, 1, 1, 0, 0.5},
    };
    for (const Row &row : rows) {
        const TRGBReal rgb = HSVtoRGB(row.h, row.s, row.v);
        EXPECT_NEAR(rgb.R, row.r, 1e-12) << row.h;
        EXPECT_NEAR(rgb.G, row.g, 1e-12) << row.h;
        EXPECT_NEAR(rgb.B, row.b, 1e-12) << row.h;
    }
}

TEST(HSVtoRGB, ZeroSaturationWithAHueIsAnError)
{
    try {
        HSVtoRGB(120, 0, 0.5);
        FAIL() << "no error";
    } catch (const EColorError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("HSVtoRGB:  S = 0 and H has a value"));
    }
    EXPECT_THROW(HSVtoRGB(0, 0, 0), EColorError);
}

TEST(HSVtoRGB, HueWithoutASectorGivesBlack)
{
    for (double hue : {-30.0, 360.5, 720.0, double(UndefinedHue)}) {
        const TRGBReal rgb = HSVtoRGB(hue, 1, 1);
        EXPECT_EQ(rgb.R, 0) << hue;
        EXPECT_EQ(rgb.G, 0) << hue;
        EXPECT_EQ(rgb.B, 0) << hue;
    }
}

using BytesRow = std::tuple<int, int, int, int, int, int>;
class HSVtoRGBBytesRows : public ::testing::TestWithParam<BytesRow> {};

TEST_P(HSVtoRGBBytesRows, GivesTheBytes)
{
    const auto [h, s, v, r, g, b] = GetParam();
    const TRGBBytes rgb = HSVtoRGBBytes(h, s, v);
    EXPECT_EQ(rgb.R, r);
    EXPECT_EQ(rgb.G, g);
    EXPECT_EQ(rgb.B, b);
}

INSTANTIATE_TEST_SUITE_P(Rows, HSVtoRGBBytesRows, ::testing::Values(
    BytesRow{60, 255, 255, 255, 255, 0},
    BytesRow{30, 255, 255, 255, 128, 0},   // t = 255 - 65025 * 30 div 15300
    BytesRow{0, 0, 77, 77, 77, 77},
    BytesRow{200, 0, 77, 77, 77, 77},
    BytesRow{360, 255, 255, 255, 0, 0},
    BytesRow{240, 255, 255, 0, 0, 255},
    BytesRow{90, 128, 200, 150, 200, 100},
    BytesRow{359, 255, 255, 255, 0, 5},
    BytesRow{361, 255, 255, 0, 0, 0},
    BytesRow{-30, 255, 255, 0, 0, 0},      // no sector: black, not wrapped bytes
    BytesRow{0, 300, 300, 255, 0, 0}));    // saturation and value kept within a byte

// RGB -> HSV -> RGB as the selector does it: bars rounded, then both the real
// and the byte conversion back.
TEST(RoundTrip, GridThroughBothPaths)
{
    int worstReal = 0;
    int worstBytes = 0;
    for (int r = 0; r <= 255; r += 15) {
        for (int g = 0; g <= 255; g += 15) {
            for (int b = 0; b <= 255; b += 15) {
                const THSVReal hsv = RGBtoHSV(r, g, b);
                const int hue = IsNaN(hsv.H) ? 0 : RoundHalfEven(hsv.H);
                const int sat = RoundHalfEven(255 * hsv.S);
                const int val = RoundHalfEven(hsv.V);
                const TRGBReal real = HSVtoRGB(sat == 0 ? UndefinedHue : double(hue), sat / 255.0, val / 255.0);
                const TRGBBytes bytes = HSVtoRGBBytes(hue, sat, val);
                const int realBack[] = {RoundHalfEven(255 * real.R), RoundHalfEven(255 * real.G),
                                        RoundHalfEven(255 * real.B)};
                const int bytesBack[] = {bytes.R, bytes.G, bytes.B};
                const int original[] = {r, g, b};
                for (int k = 0; k < 3; ++k) {
                    worstReal = std::max(worstReal, std::abs(realBack[k] - original[k]));
                    worstBytes = std::max(worstBytes, std::abs(bytesBack[k] - original[k]));
                }
                if (sat == 0 || (sat == 255 && hsv.H == hue)) {
                    // Greys and pure whole-degree hues come back exactly.
                    EXPECT_EQ(realBack[0], r);
                    EXPECT_EQ(realBack[1], g);
                    EXPECT_EQ(realBack[2], b);
                }
            }
        }
    }
    // Whole-degree hues and byte saturation cost at most a few units.
    EXPECT_LE(worstReal, 2);
    EXPECT_LE(worstBytes, 3);
}

TEST(HueSaturationDisc, PixelsAtKnownPoints)
{
    QImage disc(101, 101, QImage::Format_RGB32);
    disc.fill(Qt::black);
    DrawHueSaturationDisc(disc, 101, 0, 0, 255, QColor(128, 128, 128), QColor(128, 128, 128));
    struct Row { int x, y; QRgb rgb; };
    const Row rows[] = {
        {50, 50, qRgb(255, 255, 255)},   // centre: no saturation
        {100, 50, qRgb(255, 0, 0)},      // hue 0 on the right
        {50, 0, qRgb(128, 255, 0)},      // hue 90 at the top
        {0, 50, qRgb(0, 255, 255)},      // hue 180 on the left
        {50, 100, qRgb(128, 0, 255)},    // hue 270 at the bottom
        {0, 0, qRgb(0, 0, 0)},           // outside the disc: untouched
        {100, 100, qRgb(0, 0, 0)},
    };
    for (const Row &row : rows)
        EXPECT_EQ(disc.pixel(row.x, row.y), row.rgb) << row.x << "," << row.y;

    // Half way out on the right: hue 0, saturation 128 of value 255.
    const TRGBBytes half = HSVtoRGBBytes(360, 128, 255);
    EXPECT_EQ(disc.pixel(75, 50), qRgb(half.R, half.G, half.B));
}

TEST(HueSaturationDisc, ZeroValueIsBlackButKeepsTheMarkers)
{
    QImage disc(101, 101, QImage::Format_RGB32);
    disc.fill(Qt::black);
    const QColor grey(128, 128, 128);
    DrawHueSaturationDisc(disc, 101, 90, 128, 0, grey, grey);
    // Circle of radius round(50 * 128 / 255) = 25 and a line straight up for hue 90.
    EXPECT_EQ(disc.pixel(25, 50), grey.rgb());
    EXPECT_EQ(disc.pixel(50, 75), grey.rgb());
    EXPECT_EQ(disc.pixel(50, 5), grey.rgb());
    EXPECT_EQ(disc.pixel(50, 40), grey.rgb());
    EXPECT_EQ(disc.pixel(60, 40), qRgb(0, 0, 0));
    EXPECT_EQ(disc.pixel(80, 80), qRgb(0, 0, 0));
}

TEST(HueSaturationDisc, NoMarkersAtTheLimits)
{
    const QColor marker(10, 200, 10);
    for (int saturation : {0, 255}) {
        QImage disc(101, 101, QImage::Format_RGB32);
        disc.fill(Qt::black);
        DrawHueSaturationDisc(disc, 101, 0, saturation, 0, marker, marker);
        int markerPixels = 0;
        for (int y = 0; y < 101; ++y)
            for (int x = 0; x < 101; ++x)
                markerPixels += disc.pixel(x, y) == marker.rgb();
        // Full saturation keeps the hue line, no circle; none keeps neither.
        if (saturation == 0) {
            EXPECT_EQ(markerPixels, 0);
        } else {
            EXPECT_GE(markerPixels, 50);
            EXPECT_LE(markerPixels, 52);
        }
    }
}

TEST(GradientStrips, ColumnsFollowTheirComponent)
{
    QImage strip(256, 11, QImage::Format_RGB32);
    DrawGradientStrip(strip, TGradientStrip::Hue, 0, 255, 255);
    EXPECT_EQ(strip.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(strip.pixel(255, 10), qRgb(255, 0, 0));
    const TRGBBytes middle = HSVtoRGBBytes(181, 255, 255);  // 360 * 128 / 255 = 180.7
    EXPECT_EQ(strip.pixel(128, 5), qRgb(middle.R, middle.G, middle.B));

    DrawGradientStrip(strip, TGradientStrip::Saturation, 240, 0, 200);
    EXPECT_EQ(strip.pixel(0, 3), qRgb(200, 200, 200));
    EXPECT_EQ(strip.pixel(255, 3), qRgb(0, 0, 200));

    DrawGradientStrip(strip, TGradientStrip::Value, 120, 255, 0);
    EXPECT_EQ(strip.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(strip.pixel(255, 0), qRgb(0, 255, 0));
}

} // namespace
} // namespace velmora
