// Crafted and damaged projects: each gets its exit code and message, and stays within a
// peak memory bound measured from the child process itself.
#include "cli/CliRunner.h"
#include "cli/MeasuredRun.h"

#include "core/document/Document.h"
#include "core/document/ElementTree.h"
#include "core/elements/Interfaces.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <climits>
#include <cstdio>
#include <functional>
#include <sys/stat.h>

namespace {

QJsonObject Node(const char *kind, QJsonObject fields = {}, QJsonArray children = {})
{
    fields["kind"] = kind;
    if (!children.isEmpty())
        fields["children"] = children;
    return fields;
}

class HostileFilesTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString Path(const QString &name) const { return m_dir.filePath(name); }

    QString WriteJson(const QString &name, const QJsonObject &project)
    {
        QFile file(Path(name + ".json"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(project).toJson(QJsonDocument::Compact));
        return file.fileName();
    }

    QString Import(const QString &name, const QJsonObject &project)
    {
        const TCliResult result = RunCli({"import", WriteJson(name, project), "-o", Path(name + ".vmz")});
        EXPECT_EQ(result.ExitCode, 0) << name.toStdString() << ": " << result.Err.toStdString();
        return Path(name + ".vmz");
    }

    // Values the JSON reader refuses reach a project file only by other means (a hand-edited
    // or damaged file): force sets them on the imported project, which is saved again.
    QString ImportForced(const QString &name, const QJsonObject &project, const std::function<void(velmora::TElementNode &)> &force)
    {
        const QString vmz = Import(name, project);
        velmora::TDocument document;
        document.OpenProject(vmz);
        force(*document.ProjectNode());
        QFile file(vmz);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        document.SaveProjectFile(file);
        return vmz;
    }

    QTemporaryDir m_dir;
};

velmora::IProject &ProjectOf(velmora::TElementNode &node)
{
    return *velmora::queryInterface<velmora::IProject>(node.Element());
}

} // namespace

TEST_F(HostileFilesTest, EachHasItsExitCodeMessageAndMemoryBound)
{
    // A 16 x 16 picture, shown at 4096 x 4096 by many elements of an 8 KB project.
    QImage small(16, 16, QImage::Format_RGB32);
    small.fill(qRgb(200, 40, 40));
    ASSERT_TRUE(small.save(Path("small.png")));
    const auto pictures = [](int count) {
        QJsonArray children;
        for (int i = 0; i < count; ++i)
            children.append(Node("TVmElementImage", {{"ImageFile", "small.png"}, {"SpecificDims", true}, {"Width", 4096}, {"Height", 4096}}));
        return children;
    };
    const QString fortyPictures = Import("forty", Node("TVmElementProject", {{"Width", 4096}, {"Height", 4096}}, pictures(40)));
    const QString twelvePictures = ImportForced("twelve", Node("TVmElementProject", {{"Width", 512}, {"Height", 512}}, pictures(12)),
                                                [](velmora::TElementNode &p) { ProjectOf(p).SetScrollRate(4096); });
    const QString hugeFilm = ImportForced("huge", Node("TVmElementProject", {}, {Node("TVmElementText", {{"Text", "x"}})}),
                                          [](velmora::TElementNode &p) {
                                              ProjectOf(p).SetWidth(30000);
                                              ProjectOf(p).SetHeight(30000);
                                          });
    // A mirrored 5600 x 5600 background tile, made by ffmpeg: the kernel counts this process's
    // own peak into the children it starts, so it must stay small.
    RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=c=0x0a3c5a:s=5600x5600", "-frames:v", "1", Path("tile.png")});
    if (!QFile::exists(Path("tile.png")))
        GTEST_SKIP() << "ffmpeg is needed";
    const QString mirrored = Import("mirrored", Node("TVmElementProject", {{"Width", 640}, {"Height", 360}, {"BackgroundFile", "tile.png"}, {"WrapMode", 3}}));
    QFile::remove(Path("tile.png"));
    const QString noSpaces = Import("nospaces", Node("TVmElementProject", {{"Width", 640}, {"Height", 360}},
                                                     {Node("TVmElementText", {{"Text", QString(300000, QLatin1Char('w'))}})}));
    const QString crafted = ImportForced(
        "crafted", Node("TVmElementProject", {{"Width", 64}, {"Height", 48}},
                        {Node("TVmElementText", {{"Text", "a"}, {"UseFixedHeight", true}}), Node("TVmElementText", {{"Text", "b"}})}),
        [](velmora::TElementNode &p) {
            ProjectOf(p).SetScrollRate(0);
            ProjectOf(p).SetFrameRate(-3);
            auto *first = velmora::queryInterface<velmora::IElementMargins>(p.Children()[0]->Element());
            auto *second = velmora::queryInterface<velmora::IElementMargins>(p.Children()[1]->Element());
            first->SetTopOffset(INT_MAX);
            first->SetFixedHeight(INT_MAX);
            second->SetTopOffset(INT_MIN);
        });
    // Two elements of 1.5 G pixels each: positions past 2^31 - 1, where sums stop growing.
    const QString tooTall = ImportForced(
        "tall", Node("TVmElementProject", {{"Width", 64}, {"Height", 48}},
                     {Node("TVmElementText", {{"Text", "a"}, {"UseFixedHeight", true}}), Node("TVmElementText", {{"Text", "b"}, {"UseFixedHeight", true}})}),
        [](velmora::TElementNode &p) {
            for (int i = 0; i < 2; ++i)
                velmora::queryInterface<velmora::IElementMargins>(p.Children()[i]->Element())->SetFixedHeight(1500000000);
        });
    // A FIFO where a picture should be: reading it would wait forever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("fifo.png")).constData(), 0600), 0);
    const QString fifoJson = WriteJson("fifo", Node("TVmElementProject", {}, {Node("TVmElementImage", {{"ImageFile", "fifo.png"}})}));
    // A project file of 2 GB (sparse: it takes no disk) is refused by its size before any of it is read.
    const QString huge = Path("huge-file.vmz");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("VELMORA01") == 9 && file.resize(qint64(2) << 30));
    }
    const QString foreignJson = WriteJson("foreign", Node("TVmElementProject", {{"Name", QStringLiteral("Фильм")}}));

    const TBoundedRun rows[] = {
        {"40 pictures at 4096 x 4096, strip", {"strip", fortyPictures, "-o", Path("forty.png")}, 1, "A roll of 4096 x 163840 pixels", 100},
        {"40 pictures at 4096 x 4096, info", {"info", fortyPictures}, 0, "Roll height: 163840", 100},
        {"40 pictures at 4096 x 4096, still", {"still", fortyPictures, "--position", "6000", "-o", Path("forty-still.png")}, 0, "", 600},
        {"12 pictures at 4096 x 4096, render", {"render", twelvePictures, "-o", Path("twelve.avi"), "--codec", "ffv1", "--threads", "1"}, 0, "wrote 13 frames", 600},
        {"30000 x 30000 film, info", {"info", hugeFilm}, 0, "Film: 30000 x 30000", 100},
        {"30000 x 30000 film, still", {"still", hugeFilm, "--position", "0", "-o", Path("huge.png")}, 1, "A frame of 30000 x 30000 pixels", 100},
        {"30000 x 30000 film, render", {"render", hugeFilm, "-o", Path("huge.avi")}, 1, "A frame of 30000 x 30000 pixels", 100},
        {"mirrored 5600 x 5600 tile, info", {"info", mirrored}, 0, "Background: 5600 x 5600", 100},
        {"mirrored 5600 x 5600 tile, still", {"still", mirrored, "--position", "0", "-o", Path("mirrored.png")}, 0, "", 600},
        {"300 000 characters without a space, info", {"info", noSpaces}, 0, "Roll height:", 100},
        {"offsets and heights near 2^31, rates below 1, info", {"info", crafted}, 0, "warning: the project's scroll rate is 0; 1 is used instead", 100},
        {"offsets and heights near 2^31, render", {"render", crafted, "-o", Path("crafted.avi"), "--frames", "0:2", "--codec", "ffv1"}, 1, "The roll is taller than Velmora can play", 100},
        {"a roll past 2^31 - 1 pixels, info", {"info", tooTall}, 0, "Warning: The roll is taller than Velmora can play", 100},
        {"a roll past 2^31 - 1 pixels, render", {"render", tooTall, "-o", Path("tall.mkv")}, 1, "The roll is taller than Velmora can play", 100},
        {"a roll past 2^31 - 1 pixels, still", {"still", tooTall, "-p", "0", "-o", Path("tall.png")}, 1, "The roll is taller than Velmora can play", 100},
        {"a roll past 2^31 - 1 pixels, proof", {"proof", tooTall, "-o", Path("tall.pdf")}, 1, "The roll is taller than Velmora can play", 100},
        {"a 2 GB project, info", {"info", huge}, 1, "is 2048 MB, more than info reads (256 MB)", 100},
        {"a FIFO as picture, import", {"import", fifoJson, "-o", Path("fifo.vmz")}, 1, "cannot be read", 100},
        {"a name outside the code page, import", {"import", foreignJson, "-o", Path("foreign.vmz")}, 0, "warning: project (TVmElementProject): field \"Name\" has characters a project file cannot store", 100},
    };
    ExpectBoundedRuns(rows, m_dir.path(), "hostile");
}

// What info --json prints of a project nested as deep as a project file allows imports back.
TEST_F(HostileFilesTest, DeepProjectsImportBackFromInfo)
{
    QJsonObject innermost = Node("TVmElementText", {{"Text", "deep"}});
    // Column sets and columns in turn: 2 levels each, 250 levels below the project in all.
    for (int level = 0; level < 125; ++level)
        innermost = Node("TVmElementColumns", {}, {Node("TVmElementColumn", {}, {innermost})});
    const QString deep = Import("deep", Node("TVmElementProject", {}, {innermost}));
    const TCliResult info = RunCli({"info", deep, "--json"});
    ASSERT_EQ(info.ExitCode, 0) << info.Err.toStdString();
    QFile again(Path("again.json"));
    ASSERT_TRUE(again.open(QIODevice::WriteOnly));
    again.write(info.Out);
    again.close();
    const TCliResult reimported = RunCli({"import", again.fileName(), "-o", Path("again.vmz")});
    EXPECT_EQ(reimported.ExitCode, 0) << reimported.Err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(RunCli({"info", Path("again.vmz"), "--json"}).Out)["nodes"],
              QJsonDocument::fromJson(info.Out)["nodes"]);
}
