// What the text, image and project elements draw and how tall they make themselves.
#include "core/elements/ElementImage.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"

#include "support/PrintTypes.h"
#include "support/TestImages.h"

#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;
using test::InkBounds;

namespace {

constexpr QRgb Black = 0xFF000000;

// Renders one element into a black canvas and keeps the rectangle it hands back.
struct Canvas
{
    explicit Canvas(int w = 400, int h = 300) : image(w, h, QImage::Format_ARGB32_Premultiplied) { image.fill(Black); }

    TLayoutRect Render(IElementRender &element, TLayoutRect rect, quint8 flags = 0)
    {
        QPainter painter(&image);
        element.Render(painter, rect, flags);
        return rect;
    }

    QImage image;
};

TEST(TextRender, MeasuresStoresAndAdvances)
{
    TVmElementText text;
    text.SetTopOffset(12);
    Canvas canvas;
    const TLayoutRect after = canvas.Render(text, {20, 30, 300, 576});
    // One line of 14-pixel text.
    EXPECT_GE(after.Height, 14);
    EXPECT_LE(after.Height, 24);
    EXPECT_EQ(text.GetFixedHeight(), after.Height);
    EXPECT_EQ(after.Y, 30 + 12 + after.Height);
    EXPECT_EQ(after.X, 20);
    EXPECT_EQ(after.Width, 300);

    // Ink is white, inside the band below the offset, and centred in it.
    const QRect ink = InkBounds(canvas.image, Black);
    ASSERT_FALSE(ink.isNull());
    EXPECT_TRUE(QRect(20, 42, 300, after.Height).contains(ink)) << ink.x() << "," << ink.y();
    EXPECT_NEAR((ink.left() - 20) - (320 - 1 - ink.right()), 0, 3);
    const QRect white = test::BoundsWhere(canvas.image, [](QRgb p) { return qRed(p) > 240 && qGreen(p) > 240 && qBlue(p) > 240; });
    EXPECT_FALSE(white.isNull());
}

TEST(TextRender, LinesAndWrappingAddHeight)
{
    TVmElementText text;
    Canvas canvas;
    const int one = canvas.Render(text, {0, 0, 400, 0}).Height;
    text.SetText(QStringLiteral("Director\r\nProducer\r\nWriter"));
    const int three = canvas.Render(text, {0, 0, 400, 0}).Height;
    EXPECT_NEAR(three, 3 * one, 3);
    // A lone line feed breaks the line too.
    text.SetText(QStringLiteral("Director\nProducer"));
    EXPECT_NEAR(canvas.Render(text, {0, 0, 400, 0}).Height, 2 * one, 2);

    // Narrow bands wrap at words, and words wider than the band break inside.
    text.SetText(QStringLiteral("Lighting and camera department"));
    EXPECT_GE(canvas.Render(text, {0, 0, 60, 0}).Height, 3 * one - 2);
    text.SetText(QStringLiteral("Supercalifragilistic"));
    Canvas narrow;
    const TLayoutRect after = narrow.Render(text, {10, 0, 40, 0});
    EXPECT_GE(after.Height, 2 * one - 2);
    EXPECT_TRUE(QRect(10, 0, 40, after.Height).contains(InkBounds(narrow.image, Black)));
}

TEST(TextRender, AlignmentsPlaceInk)
{
    TVmElementText text;
    text.SetText(QStringLiteral("Gaffer"));
    text.SetUseFixedHeight(true);
    text.SetFixedHeight(100);
    const std::tuple<TElementHAlignment, TElementVAlignment, QRect> rows[] = {
        {eaLeft, eaTop, QRect(50, 10, 60, 30)},
        {eaRight, eaBottom, QRect(290, 80, 60, 30)},
        {eaCenter, eaMiddle, QRect(170, 45, 60, 30)},
    };
    for (const auto &[h, v, expectedZone] : rows) {
        text.SetHorizontalAlign(h);
        text.SetVerticalAlign(v);
        Canvas canvas;
        canvas.Render(text, {50, 10, 300, 0});
        const QRect ink = InkBounds(canvas.image, Black);
        EXPECT_TRUE(expectedZone.contains(ink)) << int(h) << int(v) << " ink " << ink.x() << "," << ink.y() << " "
                                                << ink.width() << "x" << ink.height();
    }
}

// Indents narrow the band for the text alone (below zero they widen it); the next element
// still gets the whole band.
TEST(TextRender, IndentsPlaceInkWithinTheBand)
{
    const std::tuple<TElementHAlignment, qint32, qint32, QRect> rows[] = {
        {eaLeft, 40, 0, QRect(90, 10, 60, 30)},
        {eaRight, 0, 70, QRect(220, 10, 60, 30)},
        {eaCenter, 100, 0, QRect(220, 10, 60, 30)},
        {eaLeft, -30, 0, QRect(20, 10, 60, 30)},
    };
    for (const auto &[h, left, right, expectedZone] : rows) {
        TVmElementText text;
        text.SetText(QStringLiteral("Gaffer"));
        text.SetHorizontalAlign(h);
        text.SetLeftIndent(left);
        text.SetRightIndent(right);
        Canvas canvas;
        const TLayoutRect after = canvas.Render(text, {50, 10, 300, 0});
        EXPECT_EQ(after.X, 50);
        EXPECT_EQ(after.Width, 300);
        const QRect ink = InkBounds(canvas.image, Black);
        EXPECT_TRUE(expectedZone.contains(ink)) << int(h) << " " << left << " ink " << ink.x() << "," << ink.y() << " "
                                                << ink.width() << "x" << ink.height();
    }
}

// An italic's last letter reaches past the end of its line; the band's edge must not cut it.
TEST(TextRender, OverhangingGlyphsAreNotCut)
{
    TVmElementText text;
    text.SetText(QStringLiteral("ff"));
    text.SetFontName("Liberation Serif Italic");
    text.SetFontSize(80);
    text.SetHorizontalAlign(eaRight);
    Canvas canvas;
    canvas.Render(text, {50, 10, 200, 0});
    EXPECT_GT(InkBounds(canvas.image, Black).right(), 250);
}

TEST(TextRender, FixedHeightClipsAndIsKept)
{
    TVmElementText text;
    text.SetText(QStringLiteral("Line one\r\nLine two\r\nLine three"));
    text.SetUseFixedHeight(true);
    text.SetFixedHeight(10);
    text.SetTopOffset(-5);
    Canvas canvas;
    const TLayoutRect after = canvas.Render(text, {0, 50, 400, 0});
    EXPECT_EQ(after.Height, 10);
    EXPECT_EQ(after.Y, 55);
    EXPECT_EQ(text.GetFixedHeight(), 10);
    const QRect ink = InkBounds(canvas.image, Black);
    EXPECT_TRUE(QRect(0, 45, 400, 10).contains(ink));

    // Height 0 draws nothing and only the offset moves the next element.
    text.SetFixedHeight(0);
    Canvas empty;
    EXPECT_EQ(empty.Render(text, {0, 50, 400, 0}).Y, 45);
    EXPECT_TRUE(InkBounds(empty.image, Black).isNull());
}

TEST(TextRender, FontFallbacks)
{
    // An unknown family still shows, in the nearest installed face.
    TVmElementText text;
    text.SetFontName("No Such Family 9000");
    Canvas canvas;
    EXPECT_GT(canvas.Render(text, {0, 0, 400, 0}).Height, 0);
    EXPECT_FALSE(InkBounds(canvas.image, Black).isNull());

    // A size of 0 or less makes the element empty; its outline still shows.
    for (int size : {0, -3}) {
        text.SetFontSize(size);
        Canvas blank;
        const TLayoutRect after = blank.Render(text, {10, 10, 100, 0}, DrawFlags::ShowPlaceholders);
        EXPECT_EQ(after.Height, 0);
        EXPECT_EQ(text.GetFixedHeight(), 0);
        EXPECT_EQ(InkBounds(blank.image, Black), QRect(10, 10, 101, 1));
    }
}

TEST(Placeholder, ColoursFollowFocus)
{
    TVmElementText text;
    text.SetUseFixedHeight(true);
    text.SetFixedHeight(20);
    text.SetText(QString());
    const std::pair<quint8, QRgb> rows[] = {
        {0, Black},
        {DrawFlags::ShowPlaceholders, qRgb(77, 77, 77)},
        {DrawFlags::ShowPlaceholders | DrawFlags::Focused, qRgb(255, 255, 255)},
        {DrawFlags::Focused, Black},
    };
    for (const auto &[flags, expected] : rows) {
        Canvas canvas;
        canvas.Render(text, {10, 10, 30, 0}, flags);
        // Both edges of the outline are drawn, the inside is not.
        for (const QPoint p : {QPoint(10, 10), QPoint(40, 10), QPoint(10, 30), QPoint(40, 30), QPoint(25, 10)}) {
            const QRgb pixel = canvas.image.pixel(p);
            EXPECT_NEAR(qRed(pixel), qRed(expected), 1) << int(flags) << " at " << p.x() << "," << p.y();
            EXPECT_EQ(qAlpha(pixel), 255);
        }
        EXPECT_EQ(canvas.image.pixel(25, 20), Black);
        EXPECT_EQ(canvas.image.pixel(41, 31), Black);
    }
}

// Where a 200 x 100 red picture lands for a few bands and settings.
struct ImageRow
{
    const char *name;
    TLayoutRect band;
    bool useFixed;
    int fixedHeight;
    bool specific;
    QSize specificSize;
    TElementHAlignment h;
    TElementVAlignment v;
    int topOffset;
    int expectedHeight;
    QRect expectedInk;
};

class ImageRender : public ::testing::TestWithParam<ImageRow>
{
};

TEST_P(ImageRender, PlacesPicture)
{
    const ImageRow &row = GetParam();
    TVmElementImage element;
    element.SetUseFixedHeight(row.useFixed);
    element.SetFixedHeight(row.fixedHeight);
    element.SetHorizontalAlign(row.h);
    element.SetVerticalAlign(row.v);
    element.SetTopOffset(row.topOffset);
    // Loading resets the specific size, so it is set afterwards.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("red.png"));
    ASSERT_TRUE(test::SolidImage(200, 100, qRgb(255, 0, 0)).save(path));
    element.LoadFromFile(path);
    element.SetSpecificDims(row.specific);
    if (row.specific) {
        element.SetWidth(row.specificSize.width());
        element.SetHeight(row.specificSize.height());
    }
    Canvas canvas(1200, 900);
    const TLayoutRect after = canvas.Render(element, row.band);
    EXPECT_EQ(after.Height, row.expectedHeight);
    const int offset = row.expectedInk.isNull() ? 0 : row.topOffset;
    EXPECT_EQ(after.Y, row.band.Y + offset + row.expectedHeight);
    EXPECT_EQ(test::BoundsWhere(canvas.image, [](QRgb p) { return qRed(p) > 128; }), row.expectedInk);
}

void PrintTo(const ImageRow &row, std::ostream *out)
{
    *out << row.name;
}

INSTANTIATE_TEST_SUITE_P(Rows, ImageRender,
    ::testing::Values(
        ImageRow{"width limits", {10, 20, 100, 0}, false, 0, false, {}, eaCenter, eaTop, 0, 100, QRect(10, 20, 100, 50)},
        ImageRow{"middle", {10, 20, 100, 0}, false, 0, false, {}, eaCenter, eaMiddle, 5, 100, QRect(10, 50, 100, 50)},
        ImageRow{"height limits", {10, 20, 400, 0}, false, 0, false, {}, eaCenter, eaTop, 0, 100, QRect(110, 20, 200, 100)},
        ImageRow{"right", {10, 20, 400, 0}, false, 0, false, {}, eaRight, eaTop, 0, 100, QRect(210, 20, 200, 100)},
        ImageRow{"fixed enlarges", {10, 20, 1000, 0}, true, 300, false, {}, eaCenter, eaBottom, 0, 300, QRect(210, 20, 600, 300)},
        ImageRow{"specific beats fixed", {10, 20, 1000, 0}, true, 300, true, {50, 40}, eaLeft, eaTop, 0, 40, QRect(10, 20, 50, 40)},
        // Not clipped: a centred picture wider than its band spills over both sides.
        ImageRow{"spills", {400, 20, 100, 0}, false, 0, true, {300, 30}, eaCenter, eaTop, 3, 30, QRect(300, 23, 300, 30)}));

TEST(ImageRenderEmpty, NoPictureOrUndecodablePicture)
{
    TVmElementImage none;
    none.SetTopOffset(40);
    Canvas canvas;
    EXPECT_EQ(canvas.Render(none, {0, 10, 100, 0}), (TLayoutRect{0, 10, 100, 0}));
    none.SetUseFixedHeight(true);
    none.SetFixedHeight(25);
    // Without a picture the offset is not applied.
    EXPECT_EQ(canvas.Render(none, {0, 10, 100, 0}), (TLayoutRect{0, 35, 100, 25}));

    TVmElementImage broken;
    broken.LoadFromFile(QStringLiteral("/nonexistent/picture.png"));
    broken.SetTopOffset(4);
    EXPECT_EQ(canvas.Render(broken, {0, 10, 100, 0}, DrawFlags::ShowPlaceholders), (TLayoutRect{0, 14, 100, 0}));
    EXPECT_EQ(InkBounds(canvas.image, Black), QRect(0, 14, 101, 1));
}

} // namespace
