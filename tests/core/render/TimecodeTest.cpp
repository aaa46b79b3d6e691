// Running time, safe areas and the position that shows a focused element.
#include "core/render/FrameRenderer.h"
#include "core/render/FrameRate.h"
#include "core/render/Timecode.h"
#include "core/elements/ElementProject.h"

#include "core/error.h"
#include "core/export/formats/FrameSink.h"

#include "support/RollBuilder.h"

#include <gtest/gtest.h>

using namespace velmora;
using test::RollBuilder;

TEST(Timecode, FramesAtTheFrameRate)
{
    struct Row
    {
        qint64 frames;
        int rate;
        const char *text;
    } rows[] = {
        {0, 25, "00:00:00:00"},
        {24, 25, "00:00:00:24"},
        {25, 25, "00:00:01:00"},
        {25 * 3661 + 7, 25, "01:01:01:07"},
        {30 * 60 - 1, 30, "00:00:59:29"},
        {100LL * 3600 * 24, 24, "100:00:00:00"},
        {5, 0, "00:00:05:00"},
        {-3, 25, "00:00:00:00"},
        {24 * 3600 - 1, 24, "00:59:59:23"},
        {99, 100, "00:00:00:99"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(FormatTimecode(row.frames, row.rate), QString::fromLatin1(row.text)) << row.frames << " at " << row.rate;
    // 576 + 1424 pixels at 4 a frame are 500 frames: 20 seconds at 25 frames a second.
    EXPECT_EQ(RunningTime(2000, 4, 25), QStringLiteral("00:00:20:00"));
    EXPECT_EQ(RunningTime(2001, 4, 25), QStringLiteral("00:00:20:01"));
}

// Rates as people type them: decimals near N*1000/1001 are the NTSC rates, others exact.
TEST(Timecode, RatesAsTyped)
{
    const struct { const char *text; bool ok; TFrameRate rate; } rows[] = {
        {"23.976", true, {24000, 1001}}, {"23.98", true, {24000, 1001}}, {"29.97", true, {30000, 1001}},
        {"47.952", true, {48000, 1001}}, {"59.94", true, {60000, 1001}}, {"119.88", true, {120000, 1001}},
        {"25.0", true, {25, 1}},         {"12.5", true, {25, 2}},         {"59.9", true, {599, 10}},
        {"30000/1001", true, {30000, 1001}}, {"50", true, {50, 1}},
        {"0.0", false, {}}, {"29,97", false, {}}, {".5", false, {}}, {"29.97/2", false, {}}, {"1500.5", false, {}},
    };
    for (const auto &row : rows) {
        TFrameRate rate{0, 1};
        EXPECT_EQ(ParseFrameRate(QString::fromLatin1(row.text), rate), row.ok) << row.text;
        if (row.ok)
            EXPECT_EQ(rate, row.rate) << row.text << " gave " << rate.Text().toStdString();
    }
}

// Drop-frame labels skip two numbers a minute at 29.97 (four at 59.94) except each tenth
// minute; the frame counts are those ffmpeg's timecode counter gives for the same labels.
TEST(Timecode, StartTimecodesAsTyped)
{
    const TFrameRate ntsc{30000, 1001};
    const TFrameRate ntsc60{60000, 1001};
    const struct { const char *text; TFrameRate rate; qint64 frames; bool drop; const char *refusal; } rows[] = {
        {"01:00:00:00", {25, 1}, 90000, false, nullptr},
        {"00:00:01:23", {24000, 1001}, 47, false, nullptr},
        {"01:00:00;00", ntsc, 107892, true, nullptr},
        {"00:01:00;02", ntsc, 1800, true, nullptr},
        {"00:10:00;00", ntsc, 17982, true, nullptr},
        {"00:01:00;04", ntsc60, 3600, true, nullptr},
        {"00:01:00;00", ntsc, 0, true, "names no frame"},
        {"00:01:00;03", ntsc60, 0, true, "names no frame"},
        {"01:00:00;00", {25, 1}, 0, true, "needs 30000/1001 or 60000/1001"},
        {"01:00:00;00", {30, 1}, 0, true, "needs 30000/1001 or 60000/1001"},
        {"01:00:00:25", {25, 1}, 0, false, "is not a timecode"},
        {"24:00:00:00", {25, 1}, 0, false, "is not a timecode"},
        {"1:00:00:00", {25, 1}, 0, false, "is not a timecode"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        if (row.refusal) {
            try {
                ParseTimecode(QString::fromLatin1(row.text), row.rate);
                ADD_FAILURE() << "accepted";
            } catch (const EVelmoraError &e) {
                EXPECT_TRUE(e.message().contains(QLatin1String(row.refusal))) << e.message().toStdString();
            }
            continue;
        }
        const TTimecodeLabel label = ParseTimecode(QString::fromLatin1(row.text), row.rate);
        EXPECT_EQ(label.Frames, row.frames);
        EXPECT_EQ(label.DropFrame, row.drop);
    }
}

// A project's frames as its timecode labels them: drop-frame at 29.97 and 59.94 (two and four
// labels skipped each minute but every tenth), the whole rate counted at 23.976.
TEST(Timecode, ProjectTimecodesFollowTheNtscRate)
{
    const struct { int Rate; bool Ntsc; qint64 Frames; const char *Label; } rows[] = {
        {25, false, 25 * 61, "00:01:01:00"},
        {24, true, 24 * 60, "00:01:00:00"},
        {30, true, 1799, "00:00:59;29"},
        {30, true, 1800, "00:01:00;02"},
        {30, true, 17982, "00:10:00;00"},
        {60, true, 3600, "00:01:00;04"},
        {30, false, 1800, "00:01:00:00"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Label);
        TVmElementProject project;
        project.SetFrameRate(row.Rate);
        project.SetNtscRate(row.Ntsc);
        EXPECT_EQ(ProjectTimecode(row.Frames, ProjectFrameRate(project)), QString::fromLatin1(row.Label));
    }
    EXPECT_EQ(RateText({30000, 1001}), QStringLiteral("29.97"));
    EXPECT_EQ(RateText({24000, 1001}), QStringLiteral("23.976"));
    EXPECT_EQ(RateText({25, 1}), QStringLiteral("25"));
    // 25 has no NTSC form: the flag is let be.
    EXPECT_FALSE(HasNtscForm(25));
}

TEST(Timecode, SafeAreasAreCentred)
{
    EXPECT_EQ(SafeArea(QRect(0, 0, 720, 576), 90), QRect(36, 29, 648, 518));
    EXPECT_EQ(SafeArea(QRect(0, 0, 1920, 1080), 93), QRect(67, 38, 1786, 1004));
    EXPECT_EQ(SafeArea(QRect(10, 20, 100, 50), 100), QRect(10, 20, 100, 50));
}

TEST(Timecode, PositionShowingBringsTheBandIntoTheFrame)
{
    struct Row
    {
        int position;
        std::pair<int, int> band;
        int range;
        std::optional<int> wanted;
    } rows[] = {
        {0, {10, 50}, 1000, std::nullopt},   // in view already
        {0, {500, 540}, 1000, 500 - 80},    // below: centred
        {300, {-200, -160}, 1000, 300 - 200 - 80}, // above: centred
        {0, {500, 800}, 1000, 500},         // taller than the frame: its top at the top
        {0, {2000, 2040}, 1000, 1000},      // clamped to the range
        {100, {-500, -460}, 1000, 0},       // and to the start
    };
    for (const Row &row : rows)
        EXPECT_EQ(PositionShowing(row.position, 200, row.band, row.range), row.wanted) << row.position;
}

TEST(Timecode, RendererReportsTheFocusedBand)
{
    RollBuilder roll(100, 80);
    roll.Text(*roll.projectNode, QStringLiteral("First"), 0, 30);
    roll.Text(*roll.projectNode, QStringLiteral("Second"), 0, 40);
    TFrameRenderer renderer;
    renderer.RenderFrame(roll.tree, 0, false);
    EXPECT_FALSE(renderer.FocusedBand().has_value());
    roll.tree.SetFocusedNode(roll.projectNode->Child(1));
    renderer.RenderFrame(roll.tree, 10, false);
    // The roll starts at the frame's bottom and has moved up 10 pixels; the second text follows the first.
    EXPECT_EQ(renderer.FocusedBand(), std::optional(std::pair(80 - 10 + 30, 80 - 10 + 70)));
    roll.tree.SetFocusedNode(roll.projectNode);
    renderer.RenderFrame(roll.tree, 10, false);
    EXPECT_FALSE(renderer.FocusedBand().has_value());
}
