// Sheets and projects within every limit that still cost far more than their size once laid
// out, drawn or proofed: each finishes (or is refused) within a peak memory bound.
#include "cli/CliRunner.h"
#include "cli/MeasuredRun.h"
#include "support/FileBytes.h"
#include "support/SheetFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
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
    // Five times as many is more text than any credit sheet holds: refused before it is laid out.
    for (int i = 0; i < 240; ++i)
        longCells.push_back({"text", QString(100000, QLatin1Char('x'))});
    velmora::test::WriteSheet(Path("longer.csv"), longCells);
    // One 4000 x 4000 picture (64 MB decoded) named by 80 rows and drawn small: decoded once
    // for each size drawn, not once for every row. Made by ffmpeg: the kernel counts this
    // process's own peak into the children it starts, so it must stay small.
    RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc2=s=4000x4000", "-frames:v", "1", Path("big.png")});
    if (!QFile::exists(Path("big.png")))
        GTEST_SKIP() << "ffmpeg is needed";
    velmora::test::TTable pictures{{"Kind", "Image", "Size"}};
    for (int i = 0; i < 80; ++i)
        pictures.push_back({"image", "big.png", i % 2 == 0 ? "300" : ""});
    velmora::test::WriteSheet(Path("pictures.csv"), pictures);
    // A film of 4000 x 2 with a roll of 34 000 pixels: one screen of it on a page would leave
    // a pixel of roll a page.
    QStringList lines;
    for (int i = 0; i < 2000; ++i)
        lines << QStringLiteral("Line %1").arg(i);
    const QJsonObject text{{"kind", "TVmElementText"}, {"Text", lines.join("\r\n")}};
    velmora::test::PutFile(Path("flat.json"), QJsonDocument(QJsonObject{{"kind", "TVmElementProject"}, {"Width", 4000}, {"Height", 2},
                                                                        {"children", QJsonArray{text}}}).toJson());
    ASSERT_EQ(RunCli({"import", Path("flat.json"), "-o", Path("flat.vmz")}).ExitCode, 0);

    const TBoundedRun rows[] = {
        {"60 cells of 100 000 characters, linked import", {"import", "--link", Path("long.csv"), "-o", Path("long.vmz")}, 0, "", 600},
        {"300 cells of 100 000 characters, refused", {"import", "--link", Path("longer.csv"), "-o", Path("longer.vmz")}, 1,
         "8 million characters", 600},
        {"60 cells of 100 000 characters, still", {"still", Path("long.vmz"), "--position", "5000", "-o", Path("long.png")}, 0, "", 600},
        {"80 rows naming one 4000 x 4000 picture, linked import", {"import", "--link", Path("pictures.csv"), "-o", Path("pictures.vmz")}, 0, "", 100},
        {"80 rows naming one 4000 x 4000 picture, info", {"info", Path("pictures.vmz")}, 0, "Roll height:", 100},
        {"80 rows naming one 4000 x 4000 picture, render", {"render", Path("pictures.vmz"), "--frames", "0:30", "--codec", "ffv1", "-o", Path("pictures.mkv"), "-q"}, 0, "", 600},
        {"a 4000 x 2 film, proof on film pages", {"proof", Path("flat.vmz"), "--page", "film", "-o", Path("flat.pdf")}, 0, "", 200},
        {"80 rows naming one 4000 x 4000 picture, proof", {"proof", Path("pictures.vmz"), "-o", Path("pictures.pdf")}, 0, "", 600},
    };
    ExpectBoundedRuns(rows, m_dir.path(), "runaway");
    // Pages of a usual height: the roll's 34 000 pixels on a few hundred pages, not thousands.
    const qsizetype pages = velmora::test::FileContents(Path("flat.pdf")).count("/Type /Page\n");
    EXPECT_GT(pages, 10);
    EXPECT_LT(pages, 1000);
}

} // namespace
