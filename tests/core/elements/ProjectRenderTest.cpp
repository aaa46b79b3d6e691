// The project's background: colour, stretched picture and the four tilings.
#include "core/elements/ElementProject.h"

#include "support/TestImages.h"

#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

class ProjectRender : public ::testing::Test
{
protected:
    void LoadBackground(const QImage &image)
    {
        const QString path = dir.filePath(QStringLiteral("background.png"));
        ASSERT_TRUE(image.save(path));
        project.LoadBackground(path);
    }

    // Renders into a frame that starts out transparent, as frames do.
    QImage Render(int w, int h, TLayoutRect rect)
    {
        QImage frame(w, h, QImage::Format_ARGB32_Premultiplied);
        frame.fill(Qt::transparent);
        QPainter painter(&frame);
        const TLayoutRect given = rect;
        project.Render(painter, rect, DrawFlags::ShowPlaceholders | DrawFlags::Focused);
        EXPECT_EQ(rect.X, given.X);
        EXPECT_EQ(rect.Y, given.Y);
        EXPECT_EQ(rect.Width, given.Width);
        EXPECT_EQ(rect.Height, given.Height);
        return frame;
    }

    QTemporaryDir dir;
    TVmElementProject project;
};

TEST_F(ProjectRender, FillsColourOnly)
{
    project.SetBackColor(0xFF102030);
    const QImage frame = Render(30, 20, {0, 0, 30, 20});
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(frame.pixel(x, y), 0xFF102030u) << x << "," << y;
}

// Wrap modes 0 to 3 anchor the tiles at the frame's corner; a mode the brush lacks tiles plainly.
TEST_F(ProjectRender, TilesAndFlipsExactly)
{
    const int w = 3;
    const int h = 2;
    const QImage tile = test::PatternImage(w, h);
    LoadBackground(tile);
    for (int mode : {0, 1, 2, 3, 7}) {
        SCOPED_TRACE(mode);
        project.SetWrapMode(mode);
        const QImage frame = Render(14, 9, {0, 0, 14, 9});
        const bool flipX = mode == 1 || mode == 3;
        const bool flipY = mode == 2 || mode == 3;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 14; ++x) {
                int sx = x % w;
                int sy = y % h;
                if (flipX && (x / w) % 2 == 1)
                    sx = w - 1 - sx;
                if (flipY && (y / h) % 2 == 1)
                    sy = h - 1 - sy;
                ASSERT_EQ(frame.pixel(x, y), tile.pixel(sx, sy)) << x << "," << y;
            }
    }
}

TEST_F(ProjectRender, TilesStayAnchoredWhenRectIsOffset)
{
    const QImage tile = test::PatternImage(3, 2);
    LoadBackground(tile);
    project.SetWrapMode(0);
    const QImage frame = Render(10, 10, {4, 3, 5, 5});
    EXPECT_EQ(frame.pixel(4, 3), tile.pixel(1, 1));
    EXPECT_EQ(frame.pixel(8, 7), tile.pixel(2, 1));
    EXPECT_EQ(qAlpha(frame.pixel(3, 3)), 0);
    EXPECT_EQ(qAlpha(frame.pixel(9, 9)), 0);
}

// "Fit To Film" ignores the aspect ratio: a 4:3 picture covers a 16:9 frame edge to edge.
TEST_F(ProjectRender, FitToFilmStretches)
{
    QImage halves(40, 30, QImage::Format_ARGB32);
    halves.fill(qRgb(0, 0, 255));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 20; ++x)
            halves.setPixel(x, y, qRgb(255, 0, 0));
    LoadBackground(halves);
    project.SetWrapMode(4);
    const QImage frame = Render(160, 90, {0, 0, 160, 90});
    for (int y : {0, 45, 89}) {
        EXPECT_EQ(frame.pixel(0, y), qRgb(255, 0, 0));
        EXPECT_EQ(frame.pixel(70, y), qRgb(255, 0, 0));
        EXPECT_EQ(frame.pixel(90, y), qRgb(0, 0, 255));
        EXPECT_EQ(frame.pixel(159, y), qRgb(0, 0, 255));
    }
}

TEST_F(ProjectRender, UndecodableBackgroundShowsColour)
{
    project.LoadBackground(dir.filePath(QStringLiteral("missing.png")));
    ASSERT_NE(project.GetBackground(), nullptr);
    project.SetBackColor(0xFF00FF00);
    for (int mode : {0, 3, 4}) {
        project.SetWrapMode(mode);
        const QImage frame = Render(8, 8, {0, 0, 8, 8});
        EXPECT_EQ(frame.pixel(7, 7), 0xFF00FF00u);
    }
}

} // namespace
