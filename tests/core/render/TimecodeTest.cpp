#include "core/render/Timecode.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

struct TimecodeCase
{
    const char *Name;
    qint64 Frame;
    int Fps;
    const char *Expected;
};

class TimecodeTest : public ::testing::TestWithParam<TimecodeCase>
{
};

TEST_P(TimecodeTest, Formats)
{
    const TimecodeCase &c = GetParam();
    EXPECT_EQ(FormatTimecode(c.Frame, c.Fps).toStdString(), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Rates, TimecodeTest,
    ::testing::Values(TimecodeCase{"Start", 0, 25, "00:00:00:00"}, TimecodeCase{"LastOfASecond", 24, 25, "00:00:00:24"},
        TimecodeCase{"OneSecondAt25", 25, 25, "00:00:01:00"}, TimecodeCase{"OneSecondAt24", 24, 24, "00:00:01:00"},
        TimecodeCase{"SampleRoll", 153, 25, "00:00:06:03"}, TimecodeCase{"OneMinute", 25 * 60, 25, "00:01:00:00"},
        TimecodeCase{"LastOfAnHour", 24 * 3600 - 1, 24, "00:59:59:23"}, TimecodeCase{"OneHour", 24 * 3600, 24, "01:00:00:00"},
        TimecodeCase{"HundredHours", 100LL * 3600 * 30 + 29, 30, "100:00:00:29"},
        TimecodeCase{"HundredFps", 99, 100, "00:00:00:99"}, TimecodeCase{"OneFps", 5, 1, "00:00:05:00"},
        TimecodeCase{"NegativeFrame", -3, 25, "00:00:00:00"}, TimecodeCase{"ZeroFps", 7, 0, "00:00:07:00"}),
    [](const ::testing::TestParamInfo<TimecodeCase> &info) { return std::string(info.param.Name); });

} // namespace
