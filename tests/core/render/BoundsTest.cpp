// What crafted values and large rolls cannot do: overflow the layout, outgrow the memory
// budget, or make measuring draw.
#include "core/elements/Drawing.h"
#include "core/elements/TextBlock.h"
#include "core/render/FrameRenderer.h"

#include "support/RollBuilder.h"

#include <QFont>
#include <QTextLayout>
#include <gtest/gtest.h>
#include <climits>

using namespace velmora;
using test::RollBuilder;

namespace {

// A roll with something of every kind: texts, an offset, columns and pictures.
void FillMixedRoll(RollBuilder &roll)
{
    roll.Text(*roll.projectNode, QStringLiteral("Directed by\r\nSomeone"), 12);
    roll.Block(*roll.projectNode, 0xFF00FF00, 30, 17, eaCenter, -5);
    TElementNode &set = roll.Columns(*roll.projectNode, 3);
    roll.Text(*set.Child(0), QStringLiteral("Left"));
    roll.Block(*set.Child(1), 0xFFFF0000, 10, 55);
    roll.Text(*set.Child(2), QStringLiteral("A right column long enough to wrap over several lines"), 3);
    roll.Text(*roll.projectNode, QStringLiteral("Fixed"), 0, 44);
}

} // namespace

// The draw-nothing pass gives the roll height a render gives, and allocates no frame.
TEST(Bounds, MeasuringGivesTheRenderedRollWithoutAFrame)
{
    const struct { int Width; int Height; } films[] = {{160, 120}, {33, 500}, {1, 1}};
    for (const auto &film : films) {
        SCOPED_TRACE(film.Width);
        RollBuilder roll(film.Width, film.Height);
        FillMixedRoll(roll);
        TFrameRenderer measured;
        measured.MeasureRoll(roll.tree);
        EXPECT_TRUE(measured.Frame().isNull());
        TFrameRenderer rendered;
        rendered.RenderFrame(roll.tree, 0, false);
        EXPECT_GT(rendered.RollHeight(), 100);
        EXPECT_EQ(measured.RollHeight(), rendered.RollHeight());
        EXPECT_EQ(measured.PositionRange(), rendered.PositionRange());
    }
}

// Offsets and sizes near 2^31 give the largest roll there is, not one wrapped to negative.
TEST(Bounds, CraftedSizesSaturateInsteadOfWrapping)
{
    const struct { const char *Name; int Offset; int Fixed; int ImageSize; } rows[] = {
        {"offset", INT_MAX, -1, 0},
        {"fixed height", 0, INT_MAX, 0},
        {"offset and fixed height", INT_MAX - 5, INT_MAX - 5, 0},
        {"image size", 0, -1, INT_MAX},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Name);
        RollBuilder roll(64, 48);
        for (int i = 0; i < 2; ++i) {
            if (row.ImageSize)
                roll.Block(*roll.projectNode, 0xFFFFFFFF, 4, 4).SetHeight(row.ImageSize);
            else
                roll.Text(*roll.projectNode, QStringLiteral("x"), row.Offset, row.Fixed);
        }
        TFrameRenderer renderer;
        renderer.MeasureRoll(roll.tree);
        EXPECT_EQ(renderer.PositionRange(), INT_MAX);
        EXPECT_EQ(renderer.RollHeight(), INT_MAX - 48);
        // Far down the roll the frame's top lies far above 0: the sum saturates, it never wraps.
        renderer.RenderFrame(roll.tree, INT_MAX - 1, false);
        EXPECT_EQ(renderer.RollHeight(), INT_MAX);
        EXPECT_EQ(renderer.PositionRange(), INT_MAX);
    }
}

// Rectangles of crafted layout values keep a size QRect can hold, and empty ones their place.
TEST(Bounds, SafeRectsHoldExtremeLayoutValues)
{
    constexpr int Limit = (1 << 30) - 1;
    const struct { qint64 X, Y, W, H; QRect Expected; } rows[] = {
        {10, 20, 30, 40, QRect(10, 20, 30, 40)},
        {10, 20, 0, 0, QRect(10, 20, 0, 0)},
        {10, 20, -5, 7, QRect(10, 20, 0, 7)},
        {INT_MIN, INT_MIN, 0, 0, QRect(-Limit, -Limit, 0, 0)},
        {INT_MAX, 0, INT_MAX, 1, QRect(Limit, 0, 1, 1)},
        {INT_MIN, 5, qint64(INT_MAX) * 2, 1, QRect(-Limit, 5, 2 * Limit + 1, 1)},
        {-100, 0, qint64(INT_MAX) + 200, 3, QRect(-100, 0, Limit + 101, 3)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.X);
        const QRect rect = SafeRect(row.X, row.Y, row.W, row.H);
        EXPECT_EQ(rect, row.Expected);
        EXPECT_GE(rect.width(), 0);
        EXPECT_GE(rect.height(), 0);
    }
}

// Films too large for memory are refused before anything is allocated.
TEST(Bounds, FilmsMemoryCannotHoldAreRefused)
{
    const struct { qint64 Width; qint64 Height; bool Refused; } rows[] = {
        {4096, 4096, false}, {16384, 16384, false}, {16385, 16384, true}, {30000, 30000, true}, {1920, qint64(INT_MAX), true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Width);
        const QString problem = ImageSizeProblem(row.Width, row.Height, QStringLiteral("A frame"));
        EXPECT_EQ(!problem.isEmpty(), row.Refused) << problem.toStdString();
        if (row.Refused) {
            EXPECT_TRUE(problem.startsWith(QStringLiteral("A frame of %1 x %2 pixels").arg(row.Width).arg(row.Height)));
        }
    }
    RollBuilder roll(30000, 30000);
    roll.Text(*roll.projectNode, QStringLiteral("Big"));
    TFrameRenderer renderer;
    EXPECT_TRUE(renderer.RenderFrame(roll.tree, 0, false).isNull());
}

// Scaled copies of many large pictures stay within one budget, and dropping them changes no pixel.
TEST(Bounds, ScaledPicturesShareOneBudget)
{
    constexpr int Pictures = 20;
    RollBuilder roll(1024, 512);
    for (int i = 0; i < Pictures; ++i) {
        auto &image = roll.Block(*roll.projectNode, qRgb(12 * i, 255 - 12 * i, 90), 8, 8);
        image.SetWidth(1024);
        image.SetHeight(4096);  // 16 MB scaled: 320 MB for the whole roll, above the budget
    }
    const qint64 budget = TScaledImageCache::BudgetBytes;
    TFrameRenderer renderer;
    std::vector<QImage> frames;
    for (int position = 0; position < Pictures * 4096; position += 3000) {
        frames.push_back(renderer.RenderFrame(roll.tree, position, false).copy());
        EXPECT_LE(TScaledImageCache::BytesHeld(), budget);
    }
    EXPECT_GT(TScaledImageCache::BytesHeld(), budget / 2);
    int index = 0;
    for (int position = 0; position < Pictures * 4096; position += 3000, ++index) {
        TFrameRenderer fresh;
        EXPECT_EQ(fresh.RenderFrame(roll.tree, position, false), frames[size_t(index)]) << position;
    }
}

// Breaking a long word anywhere at once gives the lines word-boundary wrapping gives.
TEST(Bounds, LongWordsBreakWhereWordWrappingBreaksThem)
{
    const QString longWord(3000, QLatin1Char('w'));
    const QString rows[] = {
        longWord,
        QStringLiteral("short words first ") + longWord + QStringLiteral(" and after"),
        QStringLiteral("a\r\n") + longWord + QStringLiteral("\r\nb ") + QString(700, QLatin1Char('i')),
        QString(300, QLatin1Char('m')) + QStringLiteral(" ") + QString(257, QLatin1Char('.')),
    };
    for (const QString &text : rows) {
        SCOPED_TRACE(text.left(30).toStdString());
        for (int width : {90, 400, 5000}) {
            TTextBlock block;
            const qint32 height = block.Measure(text, QByteArrayLiteral("Liberation Serif"), 17, width, eaLeft, eaTop);
            // The plain word-boundary layout, line by line.
            QFont font(QStringLiteral("Liberation Serif"));
            font.setPixelSize(17);
            QString laid = text;
            laid.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
            QTextLayout layout(laid, font);
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            double y = 0;
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLeadingIncluded(true);
                line.setLineWidth(width);
                y += line.height();
            }
            layout.endLayout();
            EXPECT_EQ(height, RoundHalfEven(y)) << width;
        }
    }
}
