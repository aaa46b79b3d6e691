// SVG and PDF pictures end to end: as sharp at --scale 2 as at 1, kept as vectors in a proof,
// and crafted files refused before they reach a project.
#include "cli/CliRunner.h"

#include "core/credits/ElementCreditBlock.h"
#include "core/document/ElementTree.h"
#include "core/document/Document.h"
#include "core/edit/CreditSheet.h"
#include "core/elements/VectorPicture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

namespace {

const QByteArray Logo = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"20\" viewBox=\"0 0 40 20\">"
                        "<rect width=\"40\" height=\"20\" fill=\"#ffffff\"/>"
                        "<polygon points=\"20,2 38,18 2,18\" fill=\"#d02020\"/></svg>";

class VectorPictureCliTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString Write(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    // A 320 x 120 roll holding one picture drawn at 200 x 100, in view whole at frame 13;
    // background, when given, stretched behind it.
    TCliResult Import(const QString &picture, const QString &project, const QString &background = {})
    {
        const QJsonObject image{{QStringLiteral("kind"), QStringLiteral("TVmElementImage")},
                                {QStringLiteral("ImageFile"), picture},
                                {QStringLiteral("SpecificDims"), true},
                                {QStringLiteral("Width"), 200},
                                {QStringLiteral("Height"), 100}};
        QJsonObject roll{{QStringLiteral("kind"), QStringLiteral("TVmElementProject")},
                               {QStringLiteral("Width"), 320},
                               {QStringLiteral("Height"), 120},
                               {QStringLiteral("ScrollRate"), 8},
                               {QStringLiteral("FrameRate"), 24},
                               {QStringLiteral("BackColor"), QStringLiteral("#FF000000")},
                               {QStringLiteral("children"), QJsonArray{image}}};
        if (!background.isEmpty()) {
            roll[QStringLiteral("BackgroundFile")] = background;
            roll[QStringLiteral("WrapMode")] = QStringLiteral("Fit To Film");
        }
        const QString json = Write(project + QStringLiteral(".json"), QJsonDocument(roll).toJson());
        return RunCli({QStringLiteral("import"), json, QStringLiteral("-o"), m_dir.filePath(project)});
    }

    // Pixels across the middle of the picture that are neither ground, logo white nor logo red:
    // the width of its edges.
    int SoftPixels(const QString &project, int scale)
    {
        const QString name = QStringLiteral("f%1_%2.png").arg(project).arg(scale);
        const TCliResult result = RunCli({QStringLiteral("render"), m_dir.filePath(project), QStringLiteral("-o"), m_dir.filePath(name),
                                          QStringLiteral("--frames"), QStringLiteral("13:13"), QStringLiteral("--scale"),
                                          QString::number(scale), QStringLiteral("-q")});
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        const QImage frame(m_dir.filePath(name).replace(QStringLiteral(".png"), QStringLiteral("_000013.png")));
        EXPECT_EQ(frame.size(), QSize(320 * scale, 120 * scale));
        int soft = 0;
        const int y = 66 * scale;  // the picture's middle row
        for (int x = 0; x < frame.width(); ++x) {
            const int green = qGreen(frame.pixel(x, y));
            soft += green > 48 && green < 224;
        }
        return soft;
    }

    QTemporaryDir m_dir;
};

TEST_F(VectorPictureCliTest, SvgIsAsSharpAtScaleTwoAsAtOne)
{
    ASSERT_EQ(Import(Write(QStringLiteral("logo.svg"), Logo), QStringLiteral("svg.vmz")).ExitCode, 0);
    const int one = SoftPixels(QStringLiteral("svg.vmz"), 1);
    const int two = SoftPixels(QStringLiteral("svg.vmz"), 2);
    // Two slanted edges of the triangle, each antialiased over a pixel or two at any scale.
    EXPECT_LE(one, 4);
    EXPECT_LE(two, 4);
    // The same logo as 40 x 20 pixels goes soft when it is drawn ten times as large.
    const QImage pixels = velmora::TVectorPicture::FromBytes(Logo, QStringLiteral("logo"))->Rasterized(QSize(40, 20));
    ASSERT_TRUE(pixels.save(m_dir.filePath(QStringLiteral("logo.png"))));
    ASSERT_EQ(Import(m_dir.filePath(QStringLiteral("logo.png")), QStringLiteral("png.vmz")).ExitCode, 0);
    EXPECT_GT(SoftPixels(QStringLiteral("png.vmz"), 2), 8);
}

TEST_F(VectorPictureCliTest, ProofKeepsVectors)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdfimages")).isEmpty())
        GTEST_SKIP() << "pdfimages is needed";
    ASSERT_EQ(Import(Write(QStringLiteral("logo.svg"), Logo), QStringLiteral("svg.vmz")).ExitCode, 0);
    const QImage pixels = velmora::TVectorPicture::FromBytes(Logo, QStringLiteral("logo"))->Rasterized(QSize(40, 20));
    ASSERT_TRUE(pixels.save(m_dir.filePath(QStringLiteral("logo.png"))));
    ASSERT_EQ(Import(m_dir.filePath(QStringLiteral("logo.png")), QStringLiteral("png.vmz")).ExitCode, 0);
    for (const auto &[project, images] : {std::pair{"svg.vmz", 0}, std::pair{"png.vmz", 1}}) {
        const QString pdf = m_dir.filePath(QStringLiteral("%1.pdf").arg(QLatin1String(project)));
        const TCliResult proof = RunCli({QStringLiteral("proof"), m_dir.filePath(QLatin1String(project)), QStringLiteral("-o"), pdf});
        ASSERT_EQ(proof.ExitCode, 0) << proof.Err.toStdString();
        // pdfimages lists each picture the PDF holds as pixels under two heading lines.
        const QList<QByteArray> lines = RunTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).trimmed().split('\n');
        EXPECT_EQ(int(lines.size()) - 2, images) << project;
    }
}

TEST_F(VectorPictureCliTest, JsonDescriptionCarriesTheOriginalBytes)
{
    const QString logo = Write(QStringLiteral("logo.svg"), Logo);
    ASSERT_EQ(Import(logo, QStringLiteral("svg.vmz"), logo).ExitCode, 0);
    const TCliResult info = RunCli({QStringLiteral("info"), QStringLiteral("--json"), m_dir.filePath(QStringLiteral("svg.vmz"))});
    ASSERT_EQ(info.ExitCode, 0);
    const QString described = Write(QStringLiteral("described.json"), info.Out);
    ASSERT_EQ(RunCli({QStringLiteral("import"), described, QStringLiteral("-o"), m_dir.filePath(QStringLiteral("again.vmz"))}).ExitCode, 0);
    const QJsonObject again = QJsonDocument::fromJson(
        RunCli({QStringLiteral("info"), QStringLiteral("--json"), m_dir.filePath(QStringLiteral("again.vmz"))}).Out).object();
    const QJsonObject project = again[QStringLiteral("nodes")].toArray().first().toObject();
    const QJsonObject image = project[QStringLiteral("children")].toArray().first().toObject();
    EXPECT_EQ(QByteArray::fromBase64(image[QStringLiteral("ImageData")].toString().toLatin1()), Logo);
    EXPECT_EQ(QByteArray::fromBase64(project[QStringLiteral("BackgroundData")].toString().toLatin1()), Logo);
    EXPECT_EQ(project[QStringLiteral("Background")][QStringLiteral("width")].toInt(), 40);
}

TEST_F(VectorPictureCliTest, LogosRowIsAGridCentredOnTheSpine)
{
    Write(QStringLiteral("wide.svg"), "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"200\" height=\"30\">"
                                      "<rect y=\"12\" width=\"200\" height=\"6\" fill=\"#ffffff\"/></svg>");
    Write(QStringLiteral("block.svg"), "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"50\" height=\"50\">"
                                       "<rect width=\"50\" height=\"50\" fill=\"#3080ff\"/></svg>");
    const QString sheet = Write(QStringLiteral("logos.csv"), "Kind,Columns,Size,Image\nlogos,3,60,wide.svg;block.svg;logo.svg;block.svg\n");
    Write(QStringLiteral("logo.svg"), "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"20\">"
                                      "<polygon points=\"20,0 40,20 0,20\" fill=\"#d02020\"/></svg>");
    const QString project = m_dir.filePath(QStringLiteral("logos.vmz"));
    const TCliResult imported = RunCli({QStringLiteral("import"), sheet, QStringLiteral("-o"), project, QStringLiteral("--film"),
                                        QStringLiteral("640x360")});
    ASSERT_EQ(imported.ExitCode, 0) << imported.Err.toStdString();
    const QString still = m_dir.filePath(QStringLiteral("logos.png"));
    ASSERT_EQ(RunCli({QStringLiteral("still"), project, QStringLiteral("-o"), still, QStringLiteral("-p"), QStringLiteral("300")}).ExitCode, 0);
    const QImage frame(still);
    ASSERT_FALSE(frame.isNull());
    // Where each colour's ink lies: the blue blocks (the middle of the first grid row and the
    // only one of the second), the white bar at the left and the red triangle at the right.
    struct TInk { double X = 0, Count = 0; int Top = 1 << 30, Bottom = -1; };
    TInk blue, white, red;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const QColor c = frame.pixelColor(x, y);
            TInk *ink = c.blue() > 200 && c.red() < 100 ? &blue : c.red() > 200 && c.green() > 200 ? &white
                : c.red() > 150 && c.green() < 80 ? &red : nullptr;
            if (ink) {
                ink->X += x;
                ++ink->Count;
                ink->Top = std::min(ink->Top, y);
                ink->Bottom = std::max(ink->Bottom, y);
            }
        }
    ASSERT_GT(blue.Count, 0);
    ASSERT_GT(white.Count, 0);
    ASSERT_GT(red.Count, 0);
    EXPECT_NEAR(blue.X / blue.Count, 320, 1.5);
    EXPECT_NEAR(320 - white.X / white.Count, red.X / red.Count - 320, 3);
    // Two blocks one above the other: the blue ink spans two grid rows.
    EXPECT_GT(blue.Bottom - blue.Top, 2 * (red.Bottom - red.Top));
    // The thin bar is given the ink of a solid block: it is far wider than the block is tall.
    EXPECT_LT(white.Count, blue.Count);
    EXPECT_GT(white.Count, blue.Count / 8);

    // No elements draw the grid the same, so the block is not unlinked into any.
    velmora::TDocument document;
    document.OpenProject(project);
    const auto *block = dynamic_cast<const velmora::TVmElementCreditBlock *>(document.ProjectNode()->Child(0)->Element());
    ASSERT_NE(block, nullptr);
    try {
        velmora::UnlinkedCreditElements(*block, 640, 360, m_dir.path(), {});
        ADD_FAILURE() << "a logos row was unlinked";
    } catch (const velmora::EVelmoraError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("logos row"))) << e.message().toStdString();
    }
}

TEST_F(VectorPictureCliTest, CraftedPicturesAreRefusedAtImport)
{
    const struct
    {
        const char *Name;
        QByteArray Bytes;
    } rows[] = {
        {"outside.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"9\" height=\"9\"><image href=\"/etc/passwd\"/></svg>"},
        {"laughs.svg", "<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY a \"aaaa\">]><svg xmlns=\"http://www.w3.org/2000/svg\"/>"},
        {"broken.pdf", "%PDF-1.7\n1 0 obj << /Type /Catalog >> endobj\n%%EOF"},
    };
    for (const auto &row : rows) {
        const TCliResult result = Import(Write(QString::fromLatin1(row.Name), row.Bytes), QStringLiteral("bad.vmz"));
        EXPECT_NE(result.ExitCode, 0) << row.Name;
        EXPECT_TRUE(result.Err.contains("is refused")) << row.Name << ": " << result.Err.toStdString();
        EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("bad.vmz")))) << row.Name;
    }
}

} // namespace
