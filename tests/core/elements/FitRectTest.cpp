// Fitting a source size into a target rectangle.
#include "core/elements/FitRect.h"

#include "support/PrintTypes.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

struct FitRow
{
    TLayoutRect source;
    TLayoutRect target;
    int flags;
    TLayoutRect fitted;
    double scale;
};

void PrintTo(const FitRow &row, std::ostream *out)
{
    *out << "source ";
    PrintTo(row.source, out);
    *out << " target ";
    PrintTo(row.target, out);
    *out << " flags " << row.flags;
}

class FitRectRows : public ::testing::TestWithParam<FitRow>
{
};

TEST_P(FitRectRows, GivesRectAndScale)
{
    const FitRow &row = GetParam();
    double scale = -1.0;
    TLayoutRect fitted{1, 2, 3, 4};
    FitRect(row.source, row.target, scale, fitted, row.flags);
    EXPECT_EQ(fitted, row.fitted);
    EXPECT_DOUBLE_EQ(scale, row.scale);
}

using namespace FitFlags;
constexpr int Centred = CenterVertically | CenterHorizontally;

INSTANTIATE_TEST_SUITE_P(Rows, FitRectRows,
    ::testing::Values(
        // Centred both ways; then shrink-only keeps the natural size.
        FitRow{{0, 0, 100, 50}, {10, 20, 300, 300}, Centred, {10, 95, 300, 150}, 3.0},
        FitRow{{0, 0, 100, 50}, {10, 20, 300, 300}, Centred | ShrinkOnly, {110, 145, 100, 50}, 1.0},
        // The preview's film sizes in a 657 x 555 area: width limits, then natural size.
        FitRow{{0, 0, 720, 576}, {0, 0, 657, 555}, ShrinkOnly, {0, 0, 657, 526}, 657.0 / 720.0},
        FitRow{{0, 0, 352, 240}, {0, 0, 657, 555}, ShrinkOnly, {0, 0, 352, 240}, 1.0},
        // Image element fits: width limits; height limits; a tall target enlarges.
        FitRow{{0, 0, 200, 100}, {5, 6, 100, 100}, 0, {5, 6, 100, 50}, 0.5},
        FitRow{{0, 0, 200, 100}, {5, 6, 400, 100}, 0, {5, 6, 200, 100}, 1.0},
        FitRow{{0, 0, 200, 100}, {0, 0, 1000, 300}, 0, {0, 0, 600, 300}, 3.0},
        // Heights round half to even: 2.5 -> 2, 7.5 -> 8.
        FitRow{{0, 0, 4, 1}, {0, 0, 10, 100}, 0, {0, 0, 10, 2}, 2.5},
        FitRow{{0, 0, 4, 3}, {0, 0, 10, 100}, 0, {0, 0, 10, 8}, 2.5},
        // Centring needs room; odd slack drops the last pixel.
        FitRow{{0, 0, 10, 10}, {0, 0, 21, 10}, Centred, {5, 0, 10, 10}, 1.0}));

TEST(FitRect, ZeroSourceReturnsTargetAndKeepsScale)
{
    for (const TLayoutRect source : {TLayoutRect{0, 0, 0, 50}, TLayoutRect{0, 0, 50, 0}}) {
        double scale = 7.5;
        TLayoutRect fitted;
        FitRect(source, {3, 4, 30, 40}, scale, fitted, CenterHorizontally);
        EXPECT_EQ(fitted, (TLayoutRect{3, 4, 30, 40}));
        EXPECT_EQ(scale, 7.5);
    }
}

} // namespace
