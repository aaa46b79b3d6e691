// What stands on disk after every way a velmora-cli write can fail, be refused or be cut short.
#include "cli/CliRunner.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <string_view>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {

using velmora::test::FileContents;
using velmora::test::PutFile;

// Frames ffprobe decodes from a video; -1 when it cannot read the file.
int DecodedFrames(const QString &video)
{
    const QByteArray out = RunTool(QStringLiteral("ffprobe"),
                                   {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                                    "stream=nb_read_frames", "-of", "csv=p=0", video});
    bool ok = false;
    const int frames = out.trimmed().toInt(&ok);
    return ok ? frames : -1;
}

// The count in "... N frames ..." of a message.
int FramesSaid(const QByteArray &err, const char *pattern)
{
    const QRegularExpressionMatch match = QRegularExpression(QLatin1String(pattern)).match(QString::fromUtf8(err));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

class DataLossTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        if (QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty())
            GTEST_SKIP() << "ffprobe is needed";
        m_project = Import(QStringLiteral("small"), 64, 48);
    }

    // A short roll of a few credits in a film of width x height.
    QString Import(const QString &name, int width, int height, int credits = 6)
    {
        QJsonArray children;
        for (int i = 0; i < credits; ++i)
            children.append(QJsonObject{{"kind", "TVmElementText"}, {"Text", QStringLiteral("Credit %1").arg(i)}, {"FontSize", 12}});
        const QJsonObject project{{"kind", "TVmElementProject"}, {"Width", width},     {"Height", height},
                                  {"ScrollRate", 4},             {"FrameRate", 25},    {"children", children}};
        const QString json = Path(name + ".json");
        PutFile(json, QJsonDocument(project).toJson());
        const QString vmz = Path(name + ".vmz");
        const TCliResult result = RunCli({"import", json, "-o", vmz});
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        return vmz;
    }

    QString Path(const QString &name) const { return m_dir.filePath(name); }
    // Files in the folder besides the ones the test made: temporary files left behind.
    QStringList Leftovers() const { return QDir(m_dir.path()).entryList({"*.part-*"}, QDir::Files | QDir::System); }

    QTemporaryDir m_dir;
    QString m_project;
};

} // namespace

// The previous output survives every failure, and no input is ever written over.
TEST_F(DataLossTest, FailuresAndRefusalsKeepWhatWasThere)
{
    const QString wide = Import("wide", 31, 48);  // H.264's 4:2:0 needs an even width
    const QByteArray project = FileContents(m_project);
    const QString hardLink = Path("same-project.vmz");
    ASSERT_TRUE(::link(QFile::encodeName(m_project).constData(), QFile::encodeName(hardLink).constData()) == 0);
    // Image outputs pick their format by extension: a link named like a picture reaches the input check.
    const QString pictureLink = Path("same-project.png");
    ASSERT_TRUE(::link(QFile::encodeName(m_project).constData(), QFile::encodeName(pictureLink).constData()) == 0);
    const QString json = Path("small.json");
    const QByteArray description = FileContents(json);
    const struct { const char *Name; QStringList Arguments; QString Target; const char *Words; } rows[] = {
        {"codec refuses the size", {"render", wide, "-o", Path("prev.avi"), "--codec", "h264"}, Path("prev.avi"), "H.264"},
        {"render over its input", {"render", m_project, "-o", m_project, "--format", "avi"}, m_project, "input"},
        {"render over its input by another name", {"render", m_project, "-o", hardLink, "--format", "avi"}, hardLink, "input"},
        {"still over its input", {"still", m_project, "--position", "0", "-o", pictureLink}, pictureLink, "input"},
        {"strip over its input", {"strip", m_project, "-o", pictureLink}, pictureLink, "input"},
        {"import over its description", {"import", json, "-o", json}, json, "input"},
        {"still into a missing folder", {"still", m_project, "--position", "0", "-o", Path("no/such.png")}, Path("no/such.png"),
         "No such file or directory"},
    };
    PutFile(Path("prev.avi"), "an older video");
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Name);
        const QByteArray before = FileContents(row.Target);
        const TCliResult result = RunCli(row.Arguments);
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_TRUE(result.Err.contains(row.Words)) << result.Err.toStdString();
        if (row.Words != std::string_view("H.264")) {  // the codec's refusal is about the size, not the file
            EXPECT_TRUE(result.Err.contains(QFileInfo(row.Target).fileName().toUtf8())) << result.Err.toStdString();
        }
        EXPECT_EQ(FileContents(row.Target), before);
    }
    EXPECT_EQ(FileContents(m_project), project);
    EXPECT_EQ(FileContents(json), description);
    EXPECT_EQ(FileContents(Path("prev.avi")), QByteArray("an older video"));
    EXPECT_EQ(Leftovers(), QStringList());
}

// An image goes into a device in place, which stays a device; a video needs a regular
// file, so devices and pipes are refused for it and left as they are.
TEST_F(DataLossTest, DevicesStayDevicesAndVideosNeedRegularFiles)
{
    const QString fifo = Path("pipe.avi");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct { QStringList Arguments; QString Target; int ExitCode; } rows[] = {
        {{"still", m_project, "--position", "4", "-o", "/dev/null"}, "/dev/null", 0},
        {{"strip", m_project, "-o", "/dev/null"}, "/dev/null", 0},
        {{"render", m_project, "-o", "/dev/null", "--format", "avi", "--quiet"}, "/dev/null", 1},
        {{"render", m_project, "-o", fifo, "--quiet"}, fifo, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Arguments.join(' ').toStdString());
        struct stat before {};
        ASSERT_EQ(::stat(QFile::encodeName(row.Target).constData(), &before), 0);
        const TCliResult result = RunCli(row.Arguments, 20000);
        EXPECT_EQ(result.ExitCode, row.ExitCode) << result.Err.toStdString();
        if (row.ExitCode != 0) {
            EXPECT_TRUE(result.Err.contains("regular file")) << result.Err.toStdString();
        }
        struct stat after {};
        ASSERT_EQ(::stat(QFile::encodeName(row.Target).constData(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_ino, before.st_ino);
    }
}

// A full disk and a file size limit fail with the system's reason; the older file stays.
TEST_F(DataLossTest, FullDiskAndFileSizeLimitKeepTheOlderFile)
{
    const QString big = Import("big", 640, 480, 40);
    const QString disk = Path("disk");
    ASSERT_TRUE(QDir().mkpath(disk));
    const bool mounted = ::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=64k") == 0;
    struct TRow
    {
        const char *Name;
        QString Shell;
        QString Target;
        const char *Reason;
    };
    std::vector<TRow> rows;
    const QString cli = QStringLiteral(VELMORA_CLI);
    // Under "ulimit -f" the write fails with EFBIG instead of the process dying from SIGXFSZ.
    rows.push_back({"file size limit, render", QStringLiteral("ulimit -f 64; exec '%1' render '%2' -o '%3' --codec raw --quiet")
                                                   .arg(cli, big, Path("limited.avi")),
                    Path("limited.avi"), "File too large"});
    rows.push_back({"file size limit, strip", QStringLiteral("ulimit -f 8; exec '%1' strip '%2' -o '%3'").arg(cli, big, Path("limited.bmp")),
                    Path("limited.bmp"), "File too large"});
    if (mounted) {
        rows.push_back({"full disk, strip", QStringLiteral("exec '%1' strip '%2' -o '%3'").arg(cli, big, disk + "/roll.bmp"),
                        disk + "/roll.bmp", "No space left on device"});
        rows.push_back({"full disk, render", QStringLiteral("exec '%1' render '%2' -o '%3' --codec raw --quiet").arg(cli, big, disk + "/roll.avi"),
                        disk + "/roll.avi", "No space left on device"});
    }
    for (const TRow &row : rows) {
        SCOPED_TRACE(row.Name);
        PutFile(row.Target, "older output");
        QProcess shell;
        shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), row.Shell});
        ASSERT_TRUE(shell.waitForFinished(120000));
        const QByteArray err = shell.readAllStandardError();
        EXPECT_EQ(shell.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(shell.exitCode(), 1) << err.toStdString();
        EXPECT_TRUE(err.contains(row.Reason)) << err.toStdString();
        EXPECT_TRUE(err.contains(QFileInfo(row.Target).fileName().toUtf8())) << err.toStdString();
        EXPECT_FALSE(err.contains("Unknown error")) << err.toStdString();
        EXPECT_EQ(FileContents(row.Target), QByteArray("older output"));
        EXPECT_TRUE(QDir(QFileInfo(row.Target).path()).entryList({"*.part-*"}, QDir::Files).isEmpty());
    }
    if (mounted)
        ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH);
}

// Two renders to one path: each writes its own file, the last to finish wins and is whole.
TEST_F(DataLossTest, TwoRendersToOnePathLeaveOneWholeVideo)
{
    const QString video = Path("both.avi");
    QProcess first, second;
    const QStringList arguments{"render", m_project, "-o", video, "--codec", "ffv1", "--threads", "1"};
    first.start(QStringLiteral(VELMORA_CLI), arguments);
    second.start(QStringLiteral(VELMORA_CLI), arguments);
    ASSERT_TRUE(first.waitForFinished(120000));
    ASSERT_TRUE(second.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(second.exitCode(), 0);
    const int said = FramesSaid(first.readAllStandardError(), "wrote (\\d+) frames");
    EXPECT_GT(said, 0);
    EXPECT_EQ(DecodedFrames(video), said);
    EXPECT_EQ(Leftovers(), QStringList());
}

// A render killed outright leaves its file beside the target; repair makes a playable copy
// with every frame of it (a cut-off one as far as it goes), wherever the file was cut, and
// leaves the file itself as it was.
TEST_F(DataLossTest, RepairKeepsEveryWholeFrameOfACutFile)
{
    const QString complete = Path("complete.avi");
    const TCliResult rendered = RunCli({"render", m_project, "-o", complete, "--codec", "mjpeg", "--quiet"});
    ASSERT_EQ(rendered.ExitCode, 0) << rendered.Err.toStdString();
    const QByteArray bytes = FileContents(complete);
    const int total = DecodedFrames(complete);
    ASSERT_GT(total, 10);
    // What a killed writer leaves: the headers with zero counts, frames, no index.
    QByteArray killed = bytes;
    const qsizetype idx1 = killed.lastIndexOf("idx1");
    ASSERT_GT(idx1, 0);
    killed.truncate(idx1);
    for (const qsizetype at : {qsizetype(4), killed.indexOf("movi") - 4})
        killed.replace(at, 4, QByteArray(4, '\0'));
    QRandomGenerator random(15);
    const qsizetype firstFrame = killed.indexOf("00dc");
    const qsizetype secondFrame = killed.indexOf("00dc", firstFrame + 8);
    const qsizetype cuts[] = {killed.size(), secondFrame + 4, qsizetype(random.bounded(int(firstFrame), int(killed.size()))),
                              qsizetype(random.bounded(int(firstFrame), int(killed.size())))};
    for (const qsizetype cut : cuts) {
        SCOPED_TRACE(cut);
        const QString damaged = Path("killed.avi");
        PutFile(damaged, killed.left(cut));
        const QString copy = Path("killed.repaired.avi");
        QFile::remove(copy);
        const TCliResult result = RunCli({"repair", damaged});
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        EXPECT_EQ(FileContents(damaged), killed.left(cut));
        const int kept = FramesSaid(result.Err, "kept (\\d+) frames");
        // Every frame chunk that lies wholly before the cut.
        int whole = 0;
        for (qsizetype at = killed.indexOf("movi") + 4; at + 8 <= killed.size();) {
            const quint32 size = quint8(killed[at + 4]) | quint8(killed[at + 5]) << 8 | quint8(killed[at + 6]) << 16
                | quint32(quint8(killed[at + 7])) << 24;
            if (killed.mid(at, 4) == "00dc" && at + 8 + qsizetype(size) <= cut)
                ++whole;
            at += 8 + qsizetype(size) + (size & 1);
        }
        // A cut-off frame is kept as far as it goes; a player may or may not draw it.
        EXPECT_GE(kept, whole);
        EXPECT_LE(kept, whole + 1);
        const int decoded = DecodedFrames(copy);
        EXPECT_GE(decoded, whole);
        EXPECT_GE(decoded, DecodedFrames(damaged));
        EXPECT_LE(decoded, kept);
    }
    EXPECT_EQ(Leftovers(), QStringList());

    // A real kill -9 during a render: the target is untouched, the file beside it repairs.
    const QString demo = Path("demo.vmz");
    ASSERT_EQ(RunCli({"import", VELMORA_EXAMPLES_DIR "/demo.json", "-o", demo}).ExitCode, 0);
    const QString target = Path("killed-render.avi");
    PutFile(target, "older video");
    QProcess render;
    render.start(QStringLiteral(VELMORA_CLI), {"render", demo, "-o", target, "--codec", "ffv1", "--threads", "1", "--quiet"});
    ASSERT_TRUE(render.waitForStarted());
    for (int i = 0; i < 400 && (Leftovers().isEmpty() || QFileInfo(Path(Leftovers().first())).size() < 200000); ++i)
        QThread::msleep(25);
    ::kill(pid_t(render.processId()), SIGKILL);
    ASSERT_TRUE(render.waitForFinished(30000));
    EXPECT_EQ(FileContents(target), QByteArray("older video"));
    ASSERT_EQ(Leftovers().size(), 1);
    const QString partial = Path(Leftovers().first());
    const QString copy = Path("repaired.avi");
    const TCliResult repaired = RunCli({"repair", partial, "-o", copy});
    ASSERT_EQ(repaired.ExitCode, 0) << repaired.Err.toStdString();
    const int kept = FramesSaid(repaired.Err, "kept (\\d+) frames");
    EXPECT_GT(kept, 0);
    EXPECT_GE(DecodedFrames(copy), DecodedFrames(partial));
    EXPECT_GE(DecodedFrames(copy), kept - 1);
    QFile::remove(partial);

    const TCliResult notAvi = RunCli({"repair", m_project});
    EXPECT_EQ(notAvi.ExitCode, 1);
    EXPECT_TRUE(notAvi.Err.contains("is not an AVI video file")) << notAvi.Err.toStdString();
}

// A sequence never writes over the project, not even through a link among its frames, and
// never mixes with an earlier one in its range: it is refused, or with --overwrite those frames go first.
TEST_F(DataLossTest, SequencesNeitherOverwriteTheInputNorMix)
{
    const QByteArray project = FileContents(m_project);
    const QString pattern = Path("s_%04d.png");
    ASSERT_TRUE(QFile::link(m_project, Path("s_0003.png")));
    for (const QStringList &extra : {QStringList{}, QStringList{"--overwrite"}}) {
        const TCliResult linked = RunCli(QStringList{"render", m_project, "-o", pattern, "--quiet"} + extra);
        EXPECT_EQ(linked.ExitCode, 2);
        EXPECT_TRUE(linked.Err.contains("it is the input file")) << linked.Err.toStdString();
        EXPECT_EQ(FileContents(m_project), project);
    }
    QFile::remove(Path("s_0003.png"));

    ASSERT_EQ(RunCli({"render", m_project, "-o", pattern, "--quiet"}).ExitCode, 0);
    const QStringList older = QDir(m_dir.path()).entryList({"s_*.png"}, QDir::Files);
    ASSERT_GT(older.size(), 6);
    // Only frames of the run's own range count: those are refused, or replaced with --overwrite.
    const TCliResult refused = RunCli({"render", m_project, "-o", pattern, "--frames", "0:2", "--quiet"});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_TRUE(refused.Err.contains("already holds 3 frames")) << refused.Err.toStdString();
    EXPECT_EQ(QDir(m_dir.path()).entryList({"s_*.png"}, QDir::Files), older);

    const TCliResult replaced = RunCli({"render", m_project, "-o", pattern, "--frames", "0:2", "--overwrite"});
    EXPECT_EQ(replaced.ExitCode, 0) << replaced.Err.toStdString();
    EXPECT_TRUE(replaced.Err.contains("removed the 3 frames")) << replaced.Err.toStdString();
    EXPECT_EQ(QDir(m_dir.path()).entryList({"s_*.png"}, QDir::Files), older);
    EXPECT_EQ(DecodedFrames(pattern), older.size());  // read by ffprobe as one sequence
    EXPECT_EQ(Leftovers(), QStringList());
}

// Names a sequence cannot be written under are refused before anything is written, and a
// dangling link as the output is written through, so it stays a link.
TEST_F(DataLossTest, BadSequenceNamesAreRefusedAndLinksStayLinks)
{
    const struct
    {
        const char *Name;
        const char *Message;
    } names[] = {
        {"a%db%dc.png", "has 2 number fields"},
        {"w_%0999999999d.png", "is too wide; frame numbers take at most 9 digits"},
        {"w_%010d.png", "is too wide"},
        {"d%04d/f.png", "is in a folder's name"},
    };
    for (const auto &n : names) {
        const TCliResult result = RunCli({"render", m_project, "-o", Path(n.Name), "--quiet"});
        EXPECT_EQ(result.ExitCode, 1) << n.Name;
        EXPECT_TRUE(result.Err.contains(n.Message)) << result.Err.toStdString();
        EXPECT_EQ(QDir(m_dir.path()).entryList({"a*", "w_*", "d*"}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
    }
    const QString link = Path("frame.png");
    ASSERT_TRUE(QFile::link(Path("target.png"), link));
    ASSERT_EQ(RunCli({"still", m_project, "--position", "0", "-o", link}).ExitCode, 0);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_FALSE(QImage(Path("target.png")).isNull());
}

// Damage in the headers' size fields and in the middle of the frames: repair keeps every
// frame a player still decodes, and the damaged file stays as it was.
TEST_F(DataLossTest, RepairGoesOnPastDamage)
{
    const QString complete = Path("complete.avi");
    ASSERT_EQ(RunCli({"render", m_project, "-o", complete, "--codec", "mjpeg", "--quiet"}).ExitCode, 0);
    const QByteArray bytes = FileContents(complete);
    const int total = DecodedFrames(complete);
    QByteArray sizes = bytes;
    sizes.replace(4, 4, "\xff\xff\xff\x7f");   // RIFF size
    sizes.replace(16, 4, "\x01\x00\x00\x00");  // hdrl size
    QByteArray middle = bytes;
    const qsizetype third = middle.indexOf("00dc", middle.indexOf("00dc", middle.indexOf("00dc") + 8) + 8);
    middle.replace(third, 8, QByteArray(8, '\x55'));  // one frame header lost
    middle.replace(middle.size() / 2, 200, QByteArray(200, '\0'));
    for (const QByteArray &damaged : {sizes, middle}) {
        const QString file = Path("damaged.avi");
        const QString copy = Path("damaged.repaired.avi");
        QFile::remove(copy);
        PutFile(file, damaged);
        const TCliResult result = RunCli({"repair", file});
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        EXPECT_EQ(FileContents(file), damaged);
        EXPECT_GE(DecodedFrames(copy), DecodedFrames(file));
        EXPECT_GE(DecodedFrames(copy), total - 2);
    }
    PutFile(Path("cut.mov"), QByteArray("\0\0\0\x14" "ftypqt  ", 12) + QByteArray(100, '\0'));
    const TCliResult mov = RunCli({"repair", Path("cut.mov")});
    EXPECT_EQ(mov.ExitCode, 1);
    EXPECT_TRUE(mov.Err.contains("its frames cannot be recovered")) << mov.Err.toStdString();
}
