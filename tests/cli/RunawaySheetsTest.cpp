// Sheets and projects within every limit that still cost far more than their size once laid
// out, drawn or proofed: each finishes (or is refused) within a peak memory bound.
#include "cli/CliRunner.h"
#include "cli/MeasuredRun.h"
#include "support/SheetFiles.h"

#include <QTemporaryDir>
#include <cstdio>

namespace {

class RunawaySheetsTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString Path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

TEST_F(RunawaySheetsTest, EachFinishesWithinItsMemoryBound)
{
    // Cells without a break opportunity: a line breaker that measures the whole rest of the
    // cell for each line takes time quadratic in its length.
    velmora::test::TTable longCells{{"Kind", "Text"}};
    for (int i = 0; i < 60; ++i)
        longCells.push_back({"text", QString(100000, QLatin1Char('x'))});
    velmora::test::WriteSheet(Path("long.csv"), longCells);

    const struct
    {
        const char *Name;
        QStringList Arguments;
        int ExitCode;
        const char *Words;
        long MaxMegabytes;
    } rows[] = {
        {"60 cells of 100 000 characters, linked import", {"import", "--link", Path("long.csv"), "-o", Path("long.vmz")}, 0, "", 600},
        {"60 cells of 100 000 characters, still", {"still", Path("long.vmz"), "--position", "5000", "-o", Path("long.png")}, 0, "", 600},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Name);
        const TMeasured result = RunMeasured(row.Arguments, m_dir.path());
        EXPECT_EQ(result.ExitCode, row.ExitCode) << result.Err.toStdString();
        EXPECT_TRUE(result.Out.contains(row.Words) || result.Err.contains(row.Words))
            << result.Out.left(400).toStdString() << result.Err.toStdString();
        EXPECT_GT(result.PeakMegabytes, 0);
        EXPECT_LE(result.PeakMegabytes, row.MaxMegabytes);
        std::printf("[ runaway ] %-55s exit %d, peak %ld MB\n", row.Name, result.ExitCode, result.PeakMegabytes);
    }
}

} // namespace
