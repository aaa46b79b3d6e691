// What a render leaves of the files it reads and of other slices' frames, and credit blocks
// that cannot be drawn as their sheet says.
#include "cli/CliRunner.h"
#include "support/FileBytes.h"
#include "support/SheetFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using velmora::test::FileContents;

class InputsAndSlicesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        // A picture named as frame 3 of logo_%06d.png would be, beside its sheet.
        ASSERT_EQ(RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=red:s=32x32", "-frames:v", "1", Path("logo_000003.png")}).size(), 0);
        ASSERT_TRUE(QFile::exists(Path("logo_000003.png"))) << "ffmpeg is needed";
        velmora::test::WriteSheet(Path("roll.csv"), {{"Kind", "Role", "Name", "Text", "Image"},
                                                     {"heading", "", "", "CAMERA", ""},
                                                     {"pair", "Gaffer", "Ada Halloran", "", ""},
                                                     {"image", "", "", "", "logo_000003.png"}});
        QFile styles(Path("roll-styles.json"));
        ASSERT_TRUE(styles.open(QIODevice::WriteOnly));
        styles.write("{}");
        styles.close();
        const TCliResult import = RunCli({"import", "--link", Path("roll.csv"), "--film", "64x48", "-o", Path("p.vmz")});
        ASSERT_EQ(import.ExitCode, 0) << import.Err.toStdString();
    }

    QString Path(const QString &name) const { return m_dir.filePath(name); }
    QStringList Frames(const QString &glob) const { return QDir(m_dir.path()).entryList({glob}, QDir::Files, QDir::Name); }

    QTemporaryDir m_dir;
};

// Slices of one pattern finish in any order, re-rendered or not: every frame of the roll stays,
// and a slice is refused only by frames of its own range.
TEST_F(InputsAndSlicesTest, SlicesInAnyOrderLeaveEveryFrame)
{
    ASSERT_EQ(RunCli({"render", Path("p.vmz"), "-o", Path("whole_%06d.png"), "-q"}).ExitCode, 0);
    const int total = int(Frames("whole_*").size());
    ASSERT_GE(total, 9);
    const struct
    {
        const char *Order;
        bool Overwrite;
    } runs[] = {{"231", false}, {"312", false}, {"231", true}, {"321", true}};
    int run = 0;
    for (const auto &r : runs) {
        const QString pattern = Path(QStringLiteral("r%1_%06d.png").arg(run++));
        for (const char k : std::string_view(r.Order)) {
            QStringList args{"render", Path("p.vmz"), "-o", pattern, "--chunk", QStringLiteral("%1/3").arg(k), "-q"};
            if (r.Overwrite)
                args << "--overwrite";
            const TCliResult slice = RunCli(args);
            EXPECT_EQ(slice.ExitCode, 0) << r.Order << ": " << slice.Err.toStdString();
        }
        EXPECT_EQ(Frames(QFileInfo(pattern).fileName().left(3) + "*").size(), total) << r.Order << (r.Overwrite ? " --overwrite" : "");
        if (r.Overwrite) {
            // Again, over itself: only its own frames are replaced.
            EXPECT_EQ(RunCli({"render", Path("p.vmz"), "-o", pattern, "--chunk", "2/3", "--overwrite", "-q"}).ExitCode, 0);
            EXPECT_EQ(Frames(QFileInfo(pattern).fileName().left(3) + "*").size(), total);
        } else {
            const TCliResult again = RunCli({"render", Path("p.vmz"), "-o", pattern, "--chunk", "2/3", "-q"});
            EXPECT_EQ(again.ExitCode, 1);
            EXPECT_TRUE(again.Err.contains(QStringLiteral("already holds %1 frames").arg(total * 2 / 3 - total / 3).toUtf8()))
                << again.Err.toStdString();
        }
    }
}

// No output lands on a file the command reads: the sheet's styles, its picture, the project;
// refused as a usage error with every input as it was.
TEST_F(InputsAndSlicesTest, NoOutputReplacesAnInput)
{
    const QString picture = Path("logo_000003.png");
    const QString styles = Path("roll-styles.json");
    const QByteArray pictureBytes = FileContents(picture);
    const QByteArray stylesBytes = FileContents(styles);
    const QByteArray projectBytes = FileContents(Path("p.vmz"));
    const QStringList cases[] = {
        {"proof", Path("roll.csv"), "-o", styles},
        {"render", Path("roll.csv"), "--styles", styles, "--format", "mov", "-o", styles},
        {"proof", Path("p.vmz"), "-o", picture},
        {"still", Path("p.vmz"), "-p", "0", "-o", picture},
        {"strip", Path("p.vmz"), "-o", picture},
        {"render", Path("p.vmz"), "-o", Path("logo_%06d.png"), "--overwrite"},
        {"render", Path("roll.csv"), "-o", Path("logo_%06d.png"), "--overwrite", "--frames", "2:5"},
        {"import", "--link", Path("roll.csv"), "-o", styles},
    };
    for (const QStringList &args : cases) {
        const TCliResult result = RunCli(args);
        EXPECT_EQ(result.ExitCode, 2) << args.join(' ').toStdString() << ": " << result.Err.toStdString();
        EXPECT_TRUE(result.Err.contains("it is the input file")) << result.Err.toStdString();
        EXPECT_EQ(FileContents(picture), pictureBytes) << args.join(' ').toStdString();
        EXPECT_EQ(FileContents(styles), stylesBytes) << args.join(' ').toStdString();
        EXPECT_EQ(FileContents(Path("p.vmz")), projectBytes) << args.join(' ').toStdString();
    }
    // Frames of another range that look like the picture's name are no concern of this render.
    EXPECT_EQ(RunCli({"render", Path("p.vmz"), "-o", Path("logo_%06d.png"), "--frames", "4:5", "-q"}).ExitCode, 0);
    EXPECT_EQ(FileContents(picture), pictureBytes);
}

// A missing picture and a block this build cannot read are errors naming the reason, on the
// linked path as on the copying one; info still describes the project.
TEST_F(InputsAndSlicesTest, UnreadableBlocksAndMissingPicturesAreErrors)
{
    ASSERT_TRUE(QFile::rename(Path("logo_000003.png"), Path("elsewhere.png")));
    const QStringList missing[] = {
        {"import", "--link", Path("roll.csv"), "-o", Path("q.vmz")},
        {"render", Path("roll.csv"), "-o", Path("r.mov"), "-q"},
        {"render", Path("p.vmz"), "-o", Path("r.mov"), "-q"},
        {"check", Path("p.vmz")},
        {"still", Path("p.vmz"), "-p", "0", "-o", Path("s.png")},
        {"proof", Path("p.vmz"), "-o", Path("s.pdf")},
    };
    for (const QStringList &args : missing) {
        const TCliResult result = RunCli(args);
        EXPECT_EQ(result.ExitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(result.Err.contains("roll.csv:4: column Image: the file") && result.Err.contains("does not exist"))
            << args.join(' ').toStdString() << ": " << result.Err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(Path("q.vmz")) || QFile::exists(Path("r.mov")) || QFile::exists(Path("s.png")) || QFile::exists(Path("s.pdf")));
    ASSERT_TRUE(QFile::rename(Path("elsewhere.png"), Path("logo_000003.png")));

    // A copied block whose record is newer than this build reads.
    ASSERT_EQ(RunCli({"import", Path("roll.csv"), "--film", "64x48", "-o", Path("c.vmz")}).ExitCode, 0);
    QByteArray bytes = FileContents(Path("c.vmz"));
    const QByteArray kind = "TVmElementCreditBlock\x13";
    const qsizetype at = bytes.indexOf(kind);
    ASSERT_GT(at, 0);
    bytes[at + kind.size()] = char(99);
    velmora::test::PutFile(Path("c.vmz"), bytes);
    const QStringList newer[] = {
        {"render", Path("c.vmz"), "-o", Path("r.mov"), "-q"},
        {"check", Path("c.vmz")},
        {"still", Path("c.vmz"), "-p", "0", "-o", Path("s.png")},
        {"proof", Path("c.vmz"), "-o", Path("s.pdf")},
    };
    for (const QStringList &args : newer) {
        const TCliResult result = RunCli(args);
        EXPECT_EQ(result.ExitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(result.Err.contains("cannot be read: a credit block written by a newer Velmora")) << result.Err.toStdString();
    }
    EXPECT_EQ(RunCli({"info", Path("c.vmz")}).ExitCode, 0);
}

} // namespace

namespace {

// Damaged pictures and output names that say another format get Velmora's own message, and
// none of what Qt's readers mutter on the way reaches the user.
TEST_F(InputsAndSlicesTest, DamagedPicturesAndMisnamedOutputsAreToldPlainly)
{
    velmora::test::PutFile(Path("torn.jpg"), QByteArray("\xff\xd8\xff\xe0", 4) + QByteArray(30, '\0'));
    velmora::test::PutFile(Path("torn.png"), FileContents(Path("logo_000003.png")).left(60));
    ASSERT_EQ(RunCli({"render", Path("p.vmz"), "--codec", "mjpeg", "-o", Path("r.avi"), "-q"}).ExitCode, 0);
    const struct
    {
        const char *Name;
        QStringList Arguments;
        const char *Message;
        const char *Unwritten;
        bool Quiet;  // libpng reports a torn header itself, past Qt's reach
    } rows[] = {
        {"a torn JPEG", {"render", "SHEET:torn.jpg", "-o", Path("j.mkv"), "-q"}, "is not a picture Velmora can read", "j.mkv", true},
        {"a torn PNG", {"import", "--link", "SHEET:torn.png", "-o", Path("t.vmz")}, "is not a picture Velmora can read", "t.vmz", false},
        {"repair into a Matroska name", {"repair", Path("r.avi"), "-o", Path("out.mkv")}, "give it a name ending in .avi", "out.mkv", true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Name);
        QStringList args = row.Arguments;
        for (QString &arg : args)
            if (arg.startsWith("SHEET:")) {
                const QString sheet = Path(arg.mid(6) + ".csv");
                velmora::test::WriteSheet(sheet, {{"Kind", "Image"}, {"image", arg.mid(6)}});
                arg = sheet;
            }
        const TCliResult result = RunCli(args);
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_TRUE(result.Err.contains(row.Message)) << result.Err.toStdString();
        for (const QByteArray &line : result.Err.trimmed().split('\n'))
            if (row.Quiet)
                EXPECT_TRUE(line.startsWith("velmora-cli: ")) << line.toStdString();
        EXPECT_FALSE(QFile::exists(Path(row.Unwritten)));
    }
}

// join refuses parts that would make a broken or misordered roll, and joins whole ones.
TEST_F(InputsAndSlicesTest, JoinRefusesBrokenCombinations)
{
    for (const char *ext : {"mov", "mkv"})
        for (const char *k : {"1", "2", "3"})
            ASSERT_EQ(RunCli({"render", Path("p.vmz"), "--chunk", QStringLiteral("%1/3").arg(k), "-o", Path(QStringLiteral("c%1.%2").arg(k, ext)), "-q"}).ExitCode, 0);
    ASSERT_EQ(RunCli({"render", Path("p.vmz"), "--chunk", "2/3", "--rate", "25", "-o", Path("r2.mkv"), "-q"}).ExitCode, 0);
    const QByteArray whole = FileContents(Path("c2.mkv"));
    velmora::test::PutFile(Path("t2.mkv"), whole.left(whole.size() * 2 / 3));
    const struct
    {
        QStringList Parts;
        const char *Message;
    } rows[] = {
        {{"c2.mov", "c1.mov", "c3.mov"}, "does not follow"},
        {{"c1.mov", "c3.mov"}, "does not follow"},
        {{"c1.mov", "c1.mov", "c2.mov"}, "is given twice"},
        {{"c1.mkv", "t2.mkv", "c3.mkv"}, "ends early"},
        {{"c1.mkv", "r2.mkv"}, "its frame rate differs"},
    };
    for (const auto &row : rows) {
        QStringList args{"join"};
        for (const QString &part : row.Parts)
            args << Path(part);
        const QString output = Path("joined." + QFileInfo(row.Parts.first()).suffix());
        const TCliResult result = RunCli(args + QStringList{"-o", output});
        EXPECT_EQ(result.ExitCode, 1) << row.Parts.join(' ').toStdString();
        EXPECT_TRUE(result.Err.contains(row.Message)) << result.Err.toStdString();
        EXPECT_FALSE(QFile::exists(output));
    }
    for (const char *ext : {"mov", "mkv"}) {
        const TCliResult joined = RunCli({"join", Path(QStringLiteral("c1.%1").arg(ext)), Path(QStringLiteral("c2.%1").arg(ext)),
                                          Path(QStringLiteral("c3.%1").arg(ext)), "-o", Path(QStringLiteral("j.%1").arg(ext))});
        EXPECT_EQ(joined.ExitCode, 0) << joined.Err.toStdString();
    }
}

// The best-effort show time of every frame ffprobe reads from a file, in order.
QByteArrayList FrameTimes(const QString &file)
{
    QByteArrayList times;
    for (const QByteArray &line : RunTool("ffprobe", {"-v", "error", "-select_streams", "v", "-show_frames", "-show_entries",
                                                      "frame=best_effort_timestamp_time", "-of", "csv=p=0", file})
                                      .split('\n'))
        if (!line.trimmed().isEmpty())
            times << line.split(',').first();
    return times;
}

// H.264 decodes ahead of showing; joined slices show every frame when the single render does,
// at the start and across each seam, and slices coded with other parameter sets are refused.
TEST_F(InputsAndSlicesTest, JoinedH264ShowsEveryFrameAtTheSingleRendersTime)
{
    velmora::test::TTable rows{{"Kind", "Role", "Name"}};
    for (int i = 0; i < 60; ++i)
        rows.push_back({"pair", QStringLiteral("Grip %1").arg(i), QStringLiteral("Name %1").arg(i)});
    velmora::test::WriteSheet(Path("long.csv"), rows);
    const QStringList render{"render", Path("long.csv"), "--film", "64x48", "--codec", "h264", "-q"};
    for (const char *ext : {"mp4", "mov", "mkv"}) {
        const QString single = Path(QStringLiteral("single.%1").arg(ext));
        ASSERT_EQ(RunCli(render + QStringList{"-o", single}).ExitCode, 0);
        QStringList join{"join"};
        for (const char *k : {"1", "2", "3"}) {
            const QString part = Path(QStringLiteral("h%1.%2").arg(k, ext));
            ASSERT_EQ(RunCli(render + QStringList{"--chunk", QStringLiteral("%1/3").arg(k), "-o", part}).ExitCode, 0);
            join << part;
        }
        const QString joined = Path(QStringLiteral("joined.%1").arg(ext));
        const TCliResult result = RunCli(join + QStringList{"-o", joined});
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        const QByteArrayList expected = FrameTimes(single);
        ASSERT_GT(expected.size(), 30);
        EXPECT_EQ(FrameTimes(joined), expected) << ext;
        EXPECT_EQ(RunTool("ffmpeg", {"-v", "error", "-i", joined, "-f", "null", "-"}), QByteArray()) << ext;
    }
    ASSERT_EQ(RunCli(render + QStringList{"--chunk", "2/3", "--quality", "9500", "-o", Path("q2.mp4")}).ExitCode, 0);
    const TCliResult mixed = RunCli({"join", Path("h1.mp4"), Path("q2.mp4"), Path("h3.mp4"), "-o", Path("mixed.mp4")});
    EXPECT_EQ(mixed.ExitCode, 1);
    EXPECT_TRUE(mixed.Err.contains("codec settings differ")) << mixed.Err.toStdString();
    EXPECT_FALSE(QFile::exists(Path("mixed.mp4")));
}

} // namespace
