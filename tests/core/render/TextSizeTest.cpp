// Text of every size at every film size draws ink as tall as its capitals: a title that
// keeps its space but draws nothing is the worst fault a credit roll can have.
#include "core/render/FrameRenderer.h"
#include "support/InkBounds.h"
#include "support/RollBuilder.h"

#include <QFontMetricsF>
#include <QPainter>
#include <gtest/gtest.h>
#include <tuple>

using namespace velmora;
using namespace velmora::test;

namespace {

struct TFilm
{
    int Width;
    int Height;
};

// Film, font, pixel size and the renderer's scale.
using TTextCase = std::tuple<TFilm, const char *, int, int>;

class TextSize : public ::testing::TestWithParam<TTextCase>
{
};

} // namespace

TEST_P(TextSize, CapitalsAreAsTallAsTheSizeSays)
{
    const auto [film, fontName, size, scale] = GetParam();
    RollBuilder roll(film.Width, film.Height);
    TVmElementText &text = roll.Text(*roll.projectNode, QStringLiteral("HH"));
    text.SetFontName(fontName);
    text.SetFontSize(size);
    text.SetHorizontalAlign(eaCenter);
    TFrameRenderer renderer;
    renderer.SetScale(scale);
    // The roll's first line at the top of the frame.
    const QImage &frame = renderer.RenderFrame(roll.tree, film.Height, false);
    const QRect ink = InkBounds(frame);
    ASSERT_FALSE(ink.isEmpty()) << "no ink at all";
    const double capital = QFontMetricsF(TextBlockFont(fontName, size)).capHeight() * scale;
    // Antialiasing and hinting move an edge by a pixel or so at every size.
    EXPECT_NEAR(ink.height(), capital, 2.0 + 0.03 * capital) << "ink " << ink.height() << " px";
    EXPECT_GT(ink.width(), ink.height()) << "two capitals side by side";
}

namespace {

constexpr TFilm Pal{720, 576};
constexpr TFilm Hd{1920, 1080};
constexpr TFilm Uhd{3840, 2160};

std::string CaseName(const ::testing::TestParamInfo<TTextCase> &info)
{
    const auto [film, fontName, size, scale] = info.param;
    std::string font = fontName;
    std::erase(font, ' ');
    return std::to_string(film.Width) + "x" + std::to_string(film.Height) + "_" + font + "_" + std::to_string(size) + "px_x"
        + std::to_string(scale);
}

} // namespace

// Both sides of the glyph cache's 64-pixel limit, up to a 400-pixel title, in a sans and a serif.
INSTANTIATE_TEST_SUITE_P(EveryFilm, TextSize,
    ::testing::Combine(::testing::Values(Pal, Hd, Uhd), ::testing::Values("Arial", "Times New Roman"),
        ::testing::Values(8, 13, 24, 48, 64, 65, 72, 110, 200, 300, 400), ::testing::Values(1)),
    CaseName);
// Masters drawn at twice the film size: text of 33 px and more crosses the limit there.
INSTANTIATE_TEST_SUITE_P(Scaled, TextSize,
    ::testing::Combine(::testing::Values(Pal, Hd), ::testing::Values("Arial"), ::testing::Values(8, 24, 32, 33, 64, 110, 300),
        ::testing::Values(2)),
    CaseName);

// Large text between small text of the same face comes out the same as on its own: Qt's
// shared font face must not carry the small text's sub-pixel offset into the outlines.
TEST(TextSizeDeterminism, LargeTextIgnoresSmallTextDrawnBefore)
{
    RollBuilder roll(320, 240);
    TVmElementText &title = roll.Text(*roll.projectNode, QStringLiteral("The Title"));
    title.SetFontName("Times New Roman");
    title.SetFontSize(110);
    title.SetHorizontalAlign(eaCenter);
    TFrameRenderer renderer;
    const QImage fresh = renderer.RenderFrame(roll.tree, 200, false).copy();
    {
        QImage scratch(400, 200, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&scratch);
        for (int i = 0; i < 16; ++i) {
            painter.setFont(TextBlockFont("Times New Roman", 13));
            painter.drawText(QPointF(0.13 * i + 0.3, 12.0 + 11 * i), QStringLiteral("Person did The Title job"));
        }
    }
    EXPECT_TRUE(renderer.RenderFrame(roll.tree, 200, false) == fresh);
}
