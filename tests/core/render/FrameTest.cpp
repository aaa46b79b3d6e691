// Frame composition: the reusable bitmap, odd film sizes, a small golden roll, the film size table.
#include "core/elements/ContentSizes.h"
#include "core/render/FrameRenderer.h"

#include "support/RollBuilder.h"

#include <gtest/gtest.h>

using namespace velmora;
using test::RollBuilder;

namespace {

TEST(Frame, BitmapIsReusedUntilFilmSizeChanges)
{
    RollBuilder roll(64, 48);
    TFrameRenderer renderer;
    const uchar *bits = renderer.RenderFrame(roll.tree, 0, false).constBits();
    EXPECT_EQ(renderer.RenderFrame(roll.tree, 10, true).constBits(), bits);
    roll.project->SetWidth(32);
    const QImage &resized = renderer.RenderFrame(roll.tree, 10, false);
    EXPECT_EQ(resized.size(), QSize(32, 48));
    EXPECT_EQ(resized.format(), QImage::Format_ARGB32_Premultiplied);
}

TEST(Frame, FilmBelowOnePixelRendersOnePixel)
{
    for (const QSize size : {QSize(0, 0), QSize(-5, 20), QSize(20, 0)}) {
        RollBuilder roll(size.width(), size.height());
        roll.Text(*roll.projectNode, QStringLiteral("Cast"));
        roll.project->SetBackColor(0xFF112233);
        TFrameRenderer renderer;
        const QImage &frame = renderer.RenderFrame(roll.tree, 0, true);
        EXPECT_EQ(frame.size(), QSize(std::max(1, size.width()), std::max(1, size.height())));
        EXPECT_EQ(frame.pixel(0, 0), 0xFF112233u);
        EXPECT_GT(renderer.RollHeight(), 0);
    }
}

TEST(Frame, TreeWithoutProjectIsTransparent)
{
    TElementTree tree;
    TFrameRenderer renderer;
    const QImage &frame = renderer.RenderFrame(tree, 0, false);
    EXPECT_EQ(frame.size(), QSize(1, 1));
    EXPECT_EQ(qAlpha(frame.pixel(0, 0)), 0);
    EXPECT_EQ(renderer.RollHeight(), 0);
}

// With a translucent background a frame must not show through to the one before.
TEST(Frame, FramesDoNotDependOnEarlierFrames)
{
    RollBuilder roll(80, 60);
    roll.project->SetBackColor(0x80336699);
    roll.Block(*roll.projectNode, 0xFFFF0000, 80, 30);
    TFrameRenderer used;
    used.RenderFrame(roll.tree, 40, false);
    used.RenderFrame(roll.tree, 70, false);
    const QImage reused = used.RenderFrame(roll.tree, 10, false).copy();
    TFrameRenderer fresh;
    EXPECT_EQ(fresh.RenderFrame(roll.tree, 10, false), reused);
    EXPECT_EQ(reused.pixelColor(0, 0).alpha(), 0x80);
}

// A tiled, mirrored background under a red caption and a picture: tiles and picture exact,
// the caption judged by where its ink lies and its colour.
TEST(Frame, GoldenSmallRoll)
{
    RollBuilder roll(200, 120);
    const QImage tile = test::PatternImage(3, 2);
    const QString tilePath = roll.dir.filePath(QStringLiteral("tile.png"));
    ASSERT_TRUE(tile.save(tilePath));
    roll.project->LoadBackground(tilePath);
    roll.project->SetWrapMode(3);
    TVmElementText &caption = roll.Text(*roll.projectNode, QStringLiteral("CAST"), 10);
    caption.SetColor(0xFFFF0000);
    caption.SetFontSize(20);
    roll.Block(*roll.projectNode, 0xFF00FF00, 40, 20, eaCenter, 5);

    TFrameRenderer renderer;
    const QImage &frame = renderer.RenderFrame(roll.tree, 100, false); // top at y 20
    const int textTop = 30;
    const int textHeight = caption.GetFixedHeight();
    ASSERT_GT(textHeight, 15);
    const QRect textBand(0, textTop, 200, textHeight);
    const QRect picture(80, textTop + textHeight + 5, 40, 20);
    EXPECT_EQ(renderer.RollHeight(), 10 + textHeight + 5 + 20);

    // Flip XY repeats every 6 x 4 pixels, mirrored in the second half of each period.
    const auto background = [&tile](int x, int y) {
        return tile.pixel(x % 6 < 3 ? x % 3 : 2 - x % 3, y % 4 < 2 ? y % 2 : 1 - y % 2);
    };
    int redInk = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 200; ++x) {
            const QRgb pixel = frame.pixel(x, y);
            if (picture.contains(x, y)) {
                ASSERT_EQ(pixel, 0xFF00FF00u) << x << "," << y;
            } else if (!textBand.contains(x, y)) {
                ASSERT_EQ(pixel, background(x, y)) << x << "," << y;
            } else if (pixel != background(x, y)) {
                // Ink: centred in the band, full red where the glyphs are solid.
                EXPECT_TRUE(QRect(60, textTop, 80, textHeight).contains(x, y)) << x << "," << y;
                if (pixel == 0xFFFF0000u)
                    ++redInk;
            }
        }
    EXPECT_GT(redInk, 40);
}

TEST(ContentSizes, TableAndListTexts)
{
    const QStringList items = ContentSizeListItems();
    ASSERT_EQ(items.size(), 25); // the modern sizes follow row 16, the DCI ones added later after them
    EXPECT_EQ(items[0], QStringLiteral("Custom"));
    EXPECT_EQ(items[1], QStringLiteral("VCD PAL (352 x 288)"));
    EXPECT_EQ(items[5], QStringLiteral("DVD PAL (720 x 576)"));
    EXPECT_EQ(items[7], QStringLiteral("HD 720p (1280 x 720)"));
    EXPECT_EQ(items[8], QStringLiteral("HDDVD/HDTV NTSC (1440 x 1080)"));
    EXPECT_EQ(items[21], QStringLiteral("DCI 4K (4096 x 2160)"));
    EXPECT_EQ(items.mid(22), QStringList({QStringLiteral("DCI 2K Full (2048 x 1080)"), QStringLiteral("DCI 4K Flat (3996 x 2160)"),
                                 QStringLiteral("DCI 4K Scope (4096 x 1716)")}));
    EXPECT_EQ(items[16], QStringLiteral("Wide Screen (1400 x 768)"));
    const QStringList screens{QStringLiteral("Screen (640 x 480)"), QStringLiteral("Screen (800 x 600)"),
        QStringLiteral("Screen (1024 x 768)"), QStringLiteral("Screen (1280 x 1024)"), QStringLiteral("Screen (1600 x 1200)")};
    EXPECT_EQ(items.mid(11, 5), screens);
    EXPECT_EQ(QSize(ContentSizes[9].Width, ContentSizes[9].Height), QSize(720, 576));
    EXPECT_EQ(QSize(ContentSizes[10].Width, ContentSizes[10].Height), QSize(720, 480));
    EXPECT_EQ(ContentSizes[2].FrameRate, 30.0);
}

} // namespace

// A frame handed in is drawn into in place of the renderer's own, whatever it held before:
// an opaque background covers it, a translucent one starts from a cleared frame.
TEST(Frame, GivenFrameIsDrawnLikeAFreshOne)
{
    for (const TArgb back : {0xFF203040u, 0x80336699u}) {
        SCOPED_TRACE(back);
        RollBuilder roll(80, 60);
        roll.project->SetBackColor(back);
        roll.Text(*roll.projectNode, QStringLiteral("Cast"));
        roll.Block(*roll.projectNode, 0xFFFF0000, 40, 10);
        TFrameRenderer fresh;
        const QImage expected = fresh.RenderFrame(roll.tree, 50, false).copy();

        // Rows with spare bytes at their end, as the generation run's buffers have.
        std::vector<uchar> memory(size_t(80 * 4 + 64) * 60, 0xAB);
        TFrameRenderer renderer;
        renderer.SetNextFrame(QImage(memory.data(), 80, 60, 80 * 4 + 64, QImage::Format_ARGB32_Premultiplied));
        const QImage &frame = renderer.RenderFrame(roll.tree, 50, false);
        EXPECT_EQ(frame.constBits(), memory.data());
        EXPECT_EQ(frame, expected);
        EXPECT_EQ(renderer.FrameOpaque(), qAlpha(back) == 255);

        // One of the wrong size is left alone.
        std::vector<uchar> small(size_t(10 * 4) * 10, 0xAB);
        renderer.SetNextFrame(QImage(small.data(), 10, 10, QImage::Format_ARGB32_Premultiplied));
        EXPECT_EQ(renderer.RenderFrame(roll.tree, 50, false), expected);
        EXPECT_EQ(small.front(), 0xAB);
    }
}

