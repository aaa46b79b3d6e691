// The logo row's grid: equal ink, the limits on it, and rows centred on the spine.
#include "core/credits/LogoGrid.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <cmath>

using namespace velmora;

namespace {

QImage Picture(QColor ground, QRect ink, QColor colour)
{
    QImage image(100, 100, QImage::Format_ARGB32);
    image.fill(ground);
    QPainter(&image).fillRect(ink, colour);
    return image;
}

TEST(LogoGrid, InkIsWhatDiffersFromTheGround)
{
    const struct
    {
        const char *What;
        QImage Image;
        double Ink;
    } rows[] = {
        {"quarter on transparent", Picture(Qt::transparent, QRect(0, 0, 50, 50), Qt::red), 0.25},
        {"half black on white", Picture(Qt::white, QRect(0, 50, 100, 50), Qt::black), 0.5},
        {"blank", Picture(Qt::white, QRect(), Qt::black), 1.0},
        {"no picture", QImage(), 1.0},
    };
    for (const auto &row : rows)
        EXPECT_NEAR(InkCoverage(row.Image), row.Ink, 0.01) << row.What;
}

TEST(LogoGrid, EqualInkWithinLimits)
{
    double height = 0;
    const std::vector<QRectF> rects = LogoGrid({{QSizeF(10, 10), 1.0}, {QSizeF(10, 10), 0.5}, {QSizeF(10, 10), 0.01}, {QSizeF(100, 1), 1.0}},
                                               4, 100, 2000, 1000, height);
    ASSERT_EQ(rects.size(), 4u);
    // A solid square is a square of half the area; half the ink makes it sqrt(2) larger a side.
    EXPECT_NEAR(rects[0].height(), std::sqrt(0.5) * 100, 0.01);
    EXPECT_NEAR(rects[1].height(), 100, 0.01);
    EXPECT_NEAR(rects[0].width() * rects[0].height() * 1.0, rects[1].width() * rects[1].height() * 0.5, 0.1);
    // Almost no ink: no taller than twice the size. A long thin bar: no wider than its cell allows.
    EXPECT_NEAR(rects[2].height(), 200, 0.01);
    EXPECT_NEAR(rects[3].width(), 2000 / 4 * 0.9, 0.01);
    EXPECT_NEAR(rects[3].height(), rects[3].width() / 100, 0.01);
    EXPECT_NEAR(height, 200, 0.01);
    // Each centred in its cell, vertically in the row.
    EXPECT_NEAR(rects[1].center().x(), 1000 - 2000 / 4 * 0.5, 0.01);
    EXPECT_NEAR(rects[0].center().y(), 100, 0.01);
}

TEST(LogoGrid, RowsStackAndAShortLastRowIsCentred)
{
    double height = 0;
    const std::vector<TLogoShape> logos(5, TLogoShape{QSizeF(20, 10), 0.5});
    const std::vector<QRectF> rects = LogoGrid(logos, 3, 100, 900, 500, height);
    ASSERT_EQ(rects.size(), 5u);
    const double rowHeight = rects[0].height();
    EXPECT_NEAR(rects[3].top(), rowHeight + 25, 0.01);  // a quarter of the size apart
    EXPECT_NEAR(height, 2 * rowHeight + 25, 0.01);
    EXPECT_NEAR(rects[1].center().x(), 500, 0.01);   // the middle of three on the spine
    EXPECT_NEAR((rects[3].center().x() + rects[4].center().x()) / 2, 500, 0.01);  // and the last two around it
    EXPECT_NEAR(rects[4].center().x() - rects[3].center().x(), 300, 0.01);       // a cell apart
}

} // namespace
