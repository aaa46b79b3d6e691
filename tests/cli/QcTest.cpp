// velmora-cli qc on real files: our own render is clean; copies made the ways post houses
// spoil a crawl (resized, a frame dropped, re-tagged, cut short) and a master made from a
// changed sheet are each flagged for what was done, at the frame where it shows.
#include "cli/CliRunner.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

struct TSpoil
{
    const char *Name;
    QStringList Ffmpeg;          // what ffmpeg does to the clean render; empty: nothing
    QSet<QString> Expected;      // finding ids
    qint64 DroppedAt = -1;       // where a dropped-frame finding must stand
};

class QcTest : public ::testing::TestWithParam<TSpoil>
{
public:
    // One small roll rendered once for the whole table: 640 x 360, 4 lines a frame.
    static void SetUpTestSuite()
    {
        Dir = new QTemporaryDir;
        QString csv = QStringLiteral("Kind,Role,Name,Text\nheading,,,CAMERA\n");
        for (int i = 0; i < 10; ++i)
            csv += QStringLiteral("pair,Role %1,Person %1 Surname,\n").arg(i);
        QFile sheet(Dir->filePath(QStringLiteral("roll.csv")));
        sheet.open(QIODevice::WriteOnly);
        sheet.write(csv.toUtf8());
        sheet.close();
        Project = Dir->filePath(QStringLiteral("roll.vmz"));
        Rendered = Dir->filePath(QStringLiteral("roll.mov"));
        ImportCode = RunCli({"import", "--link", sheet.fileName(), "--film", "640x360", "-o", Project}).ExitCode;
        if (ImportCode == 0 && HaveFfmpegTools())
            RenderCode = RunCli({"render", Project, "-o", Rendered, "--codec", "h264", "--quiet"}).ExitCode;
    }
    static void TearDownTestSuite() { delete Dir; }

    static inline QTemporaryDir *Dir = nullptr;
    static inline QString Project;
    static inline QString Rendered;
    static inline int ImportCode = -1;
    static inline int RenderCode = -1;
};

TEST_P(QcTest, FlagsExactlyWhatWasDone)
{
    if (!HaveFfmpegTools())
        GTEST_SKIP() << "ffmpeg is not installed";
    ASSERT_EQ(ImportCode, 0);
    ASSERT_EQ(RenderCode, 0);
    const TSpoil &spoil = GetParam();
    QString delivered = Rendered;
    if (!spoil.Ffmpeg.isEmpty()) {
        delivered = Dir->filePath(QStringLiteral("%1.mov").arg(spoil.Name));
        RunTool(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-y", "-i", Rendered} + spoil.Ffmpeg + QStringList{delivered});
        ASSERT_TRUE(QFile::exists(delivered));
    }
    const TCliResult result = RunCli({"qc", delivered, "--against", Project, "--json"});
    ASSERT_EQ(result.ExitCode, spoil.Expected.isEmpty() ? 0 : 1) << result.Out.constData() << result.Err.constData();
    const QJsonObject report = QJsonDocument::fromJson(result.Out).object();
    QSet<QString> found;
    for (const QJsonValue &value : report.value("findings").toArray()) {
        const QJsonObject finding = value.toObject();
        found.insert(finding.value("id").toString());
        if (finding.value("id") == "dropped-frame") {
            EXPECT_EQ(finding.value("frame").toInteger(), spoil.DroppedAt);
            EXPECT_FALSE(finding.value("timecode").toString().isEmpty());
        }
    }
    EXPECT_EQ(found, spoil.Expected) << result.Out.constData();
    EXPECT_GT(report.value("motion").toObject().value("measurements").toInt(), 20);
    // Every credit was read back, resized or not.
    EXPECT_EQ(report.value("readings").toArray().size(), 11);
}

const QStringList Tagged = {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-color_primaries", "bt709", "-color_trc", "bt709",
                            "-colorspace", "bt709"};

INSTANTIATE_TEST_SUITE_P(
    Spoils, QcTest,
    ::testing::Values(TSpoil{"Clean", {}, {}},
                      // 360 lines made 384 in post: 4 lines a frame become 4.27.
                      TSpoil{"Resized", QStringList{"-vf", "scale=682:384"} + Tagged, {"size", "judder"}},
                      TSpoil{"DroppedFrame", QStringList{"-vf", "select='not(eq(n\\,60))',setpts=N/24/TB", "-r", "24"} + Tagged,
                             {"dropped-frame", "frame-count"}, 60},
                      TSpoil{"Retagged",
                             {"-c", "copy", "-bsf:v", "h264_metadata=colour_primaries=5:transfer_characteristics=6:matrix_coefficients=5"},
                             {"colour"}},
                      // Re-encoded: a stream copy cut in a group of pictures loses a frame before its end too.
                      TSpoil{"CutShort", QStringList{"-frames:v", "100"} + Tagged, {"frame-count"}}),
    [](const ::testing::TestParamInfo<TSpoil> &info) { return std::string(info.param.Name); });

// A master rendered from a copy of the sheet with one name changed is flagged at that name's
// row, and only there.
TEST_F(QcTest, FindsTheNameChangedInTheMaster)
{
    if (!HaveFfmpegTools())
        GTEST_SKIP() << "ffmpeg is not installed";
    ASSERT_EQ(ImportCode, 0);
    QFile original(Dir->filePath(QStringLiteral("roll.csv")));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    QString csv = QString::fromUtf8(original.readAll());
    csv.replace(QStringLiteral("Person 6 Surname"), QStringLiteral("Person 6 Sumame"));
    QFile changed(Dir->filePath(QStringLiteral("changed.csv")));
    ASSERT_TRUE(changed.open(QIODevice::WriteOnly));
    changed.write(csv.toUtf8());
    changed.close();
    const QString project = Dir->filePath(QStringLiteral("changed.vmz"));
    const QString master = Dir->filePath(QStringLiteral("changed.mov"));
    ASSERT_EQ(RunCli({"import", "--link", changed.fileName(), "--film", "640x360", "-o", project}).ExitCode, 0);
    ASSERT_EQ(RunCli({"render", project, "-o", master, "--codec", "h264", "--quiet"}).ExitCode, 0);
    const QString report = Dir->filePath(QStringLiteral("qc.pdf"));
    const TCliResult result = RunCli({"qc", master, "--against", Project, "--json", "--report", report});
    ASSERT_EQ(result.ExitCode, 1) << result.Out.constData() << result.Err.constData();
    // The PDF report lists the finding once, with its row, and shows its frame.
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        const QString text = QString::fromUtf8(RunTool(QStringLiteral("pdftotext"), {report, QStringLiteral("-")}));
        EXPECT_EQ(text.count(QStringLiteral("Person 6 Surname")), 1) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("roll.csv:9"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("frame \\d+: text")))) << text.toStdString();
    }
    // Never written over what it reads.
    const QByteArray before = RunTool(QStringLiteral("sha256sum"), {master});
    EXPECT_EQ(RunCli({"qc", master, "--against", Project, "--report", master}).ExitCode, 2);
    EXPECT_EQ(RunTool(QStringLiteral("sha256sum"), {master}), before);
    const QJsonArray findings = QJsonDocument::fromJson(result.Out).object().value("findings").toArray();
    ASSERT_EQ(findings.size(), 1) << result.Out.constData();
    const QJsonObject finding = findings.first().toObject();
    EXPECT_EQ(finding.value("id").toString(), QStringLiteral("text"));
    EXPECT_EQ(finding.value("place").toString(), QStringLiteral("roll.csv:9")); // header, heading, rows 0..6
    EXPECT_TRUE(finding.value("message").toString().contains(QLatin1String("Person 6 Surname")));
    EXPECT_FALSE(finding.value("timecode").toString().isEmpty());
}

// At full height the built-in styles are readable; squeezed back to half, every style of the
// roll is told once, with the heights the viewer would see.
TEST_F(QcTest, MeasuresLettersAfterASqueeze)
{
    if (!HaveFfmpegTools())
        GTEST_SKIP() << "ffmpeg is not installed";
    ASSERT_EQ(RenderCode, 0);
    EXPECT_EQ(RunCli({"qc", Rendered, "--against", Project, "--no-text", "--squeeze", "100%"}).ExitCode, 0);
    const TCliResult squeezed = RunCli({"qc", Rendered, "--against", Project, "--no-text", "--squeeze", "50%", "--json"});
    ASSERT_EQ(squeezed.ExitCode, 1) << squeezed.Out.constData();
    QStringList styles;
    for (const QJsonValue &value : QJsonDocument::fromJson(squeezed.Out).object().value("findings").toArray()) {
        const QJsonObject finding = value.toObject();
        EXPECT_EQ(finding.value("id").toString(), QStringLiteral("squeeze"));
        EXPECT_TRUE(finding.value("message").toString().contains(QLatin1String("after a 50 % squeeze")));
        styles.append(finding.value("message").toString().section(QLatin1Char(':'), 0, 0));
    }
    styles.sort();
    EXPECT_EQ(styles, QStringList({"Heading", "Name", "Role"})) << squeezed.Out.constData();
    EXPECT_EQ(RunCli({"qc", Rendered, "--against", Project, "--squeeze", "0%"}).ExitCode, 2);
}

// Names in other scripts are read with their own data: a clean master reads every one, and a
// letter changed in a Devanagari name is found at its row.
TEST(QcCli, ReadsCreditsInTheirOwnScripts)
{
    if (!HaveFfmpegTools())
        GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir dir;
    const auto write = [&dir](const char *name, const QString &director) {
        QFile sheet(dir.filePath(QString::fromLatin1(name)));
        sheet.open(QIODevice::WriteOnly);
        sheet.write(QStringLiteral("Kind,Role,Name,Text\npair,Director,%1,\npair,Producer,محمد عبد الله,\n"
                                   "pair,Editor,สมชาย ใจดี,\npair,Composer,Иван Петров,\npair,Camera,田中太郎,\n")
                        .arg(director)
                        .toUtf8());
        return sheet.fileName();
    };
    const QString project = dir.filePath(QStringLiteral("roll.vmz"));
    const QString changedProject = dir.filePath(QStringLiteral("changed.vmz"));
    ASSERT_EQ(RunCli({"import", "--link", write("roll.csv", QStringLiteral("अमिताभ बच्चन")), "--film", "1280x720", "-o", project}).ExitCode, 0);
    ASSERT_EQ(RunCli({"import", "--link", write("changed.csv", QStringLiteral("अमिताभ बच्चम")), "--film", "1280x720", "-o", changedProject}).ExitCode, 0);
    const QString clean = dir.filePath(QStringLiteral("roll.mov"));
    const QString changed = dir.filePath(QStringLiteral("changed.mov"));
    ASSERT_EQ(RunCli({"render", project, "-o", clean, "--codec", "h264", "--quiet"}).ExitCode, 0);
    ASSERT_EQ(RunCli({"render", changedProject, "-o", changed, "--codec", "h264", "--quiet"}).ExitCode, 0);

    const TCliResult good = RunCli({"qc", clean, "--against", project, "--json"});
    EXPECT_EQ(good.ExitCode, 0) << good.Out.constData();
    const QJsonObject report = QJsonDocument::fromJson(good.Out).object();
    EXPECT_EQ(report.value("readings").toArray().size(), 5);
    EXPECT_EQ(report.value("unread").toInt(), 0);

    const TCliResult bad = RunCli({"qc", changed, "--against", project, "--json"});
    ASSERT_EQ(bad.ExitCode, 1) << bad.Out.constData();
    const QJsonArray findings = QJsonDocument::fromJson(bad.Out).object().value("findings").toArray();
    ASSERT_EQ(findings.size(), 1) << bad.Out.constData();
    EXPECT_EQ(findings.first().toObject().value("place").toString(), QStringLiteral("roll.csv:2"));
}

TEST(QcCli, AnUnreadableFileOrNoRollIsAnErrorNotAFinding)
{
    QTemporaryDir dir;
    QFile junk(dir.filePath(QStringLiteral("junk.mov")));
    junk.open(QIODevice::WriteOnly);
    junk.write("not a video at all");
    junk.close();
    QFile sheet(dir.filePath(QStringLiteral("roll.csv")));
    sheet.open(QIODevice::WriteOnly);
    sheet.write("Kind,Role,Name,Text\npair,Role,Name,\n");
    sheet.close();
    EXPECT_EQ(RunCli({"qc", junk.fileName(), "--against", sheet.fileName()}).ExitCode, 2);
    EXPECT_EQ(RunCli({"qc", dir.filePath("absent.mov"), "--against", sheet.fileName()}).ExitCode, 2);
    EXPECT_EQ(RunCli({"qc", junk.fileName()}).ExitCode, 2); // --against is required
}

} // namespace
