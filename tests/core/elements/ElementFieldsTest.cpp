// Defaults of the project, text and image elements, and loading pictures from real files.
#include "core/elements/ElementImage.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"

#include "support/TestImages.h"

#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

TEST(ElementFields, ProjectDefaults)
{
    const TVmElementProject project;
    EXPECT_EQ(project.GetHeight(), 576);
    EXPECT_EQ(project.GetWidth(), 720);
    EXPECT_EQ(project.GetContentSize(), 5);
    EXPECT_EQ(project.GetBackColor(), 0xFF336699u);
    EXPECT_EQ(project.GetWrapMode(), 4);
    EXPECT_EQ(project.GetFrameRate(), 25);
    EXPECT_EQ(project.GetScrollRate(), 4);
    EXPECT_EQ(project.GetBackground(), nullptr);
}

TEST(ElementFields, TextDefaults)
{
    const TVmElementText text;
    QString value;
    text.GetText(value);
    EXPECT_EQ(value, QStringLiteral("Text Element"));
    QByteArray font;
    text.GetFontName(font);
    EXPECT_EQ(font, QByteArray("Arial"));
    EXPECT_EQ(text.GetFontSize(), 14);
    EXPECT_EQ(text.GetColor(), 0xFFFFFFFFu);
    EXPECT_EQ(text.GetHorizontalAlign(), eaCenter);
    EXPECT_EQ(text.GetVerticalAlign(), eaTop);
    EXPECT_EQ(text.GetTopOffset(), 0);
    EXPECT_FALSE(text.GetUseFixedHeight());
    EXPECT_EQ(text.GetFixedHeight(), 0);
}

TEST(ElementFields, ImageDefaults)
{
    const TVmElementImage image;
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetHeight(), 0);
    EXPECT_FALSE(image.GetSpecificDims());
    QByteArray fileName = "x";
    image.GetFileName(fileName);
    EXPECT_TRUE(fileName.isEmpty());
    EXPECT_EQ(image.GetImage(), nullptr);
    EXPECT_EQ(image.GetHorizontalAlign(), eaCenter);
    EXPECT_EQ(image.GetVerticalAlign(), eaTop);
    EXPECT_FALSE(image.GetUseFixedHeight());
}

class ImageFiles : public ::testing::Test
{
protected:
    QString Write(const QString &name, const QImage &image, const char *format)
    {
        const QString path = dir.filePath(name);
        QImageWriter writer(path, format);
        EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
        return path;
    }

    QTemporaryDir dir;
};

// Every format the open dialog offers decodes to its pixel size.
TEST_F(ImageFiles, LoadsEachOfferedFormat)
{
    // Qt writes no GIF, so that one is a fixture.
    const std::pair<const char *, const char *> formats[] = {
        {"png", "logo.png"}, {"bmp", "logo.bmp"}, {"gif", "logo.gif"}, {"jpeg", "logo.jpg"}, {"tiff", "logo.tif"}};
    for (const auto &[format, name] : formats) {
        SCOPED_TRACE(format);
        const QString path = QByteArray(format) == "gif"
            ? QStringLiteral(VELMORA_TEST_DATA_DIR "/elements/logo.gif")
            : Write(QString::fromLatin1(name), test::SolidImage(320, 200, qRgb(200, 10, 10)), format);
        TVmElementImage image;
        image.SetHorizontalAlign(eaRight);
        image.SetVerticalAlign(eaBottom);
        image.SetTopOffset(7);
        image.SetUseFixedHeight(true);
        image.SetFixedHeight(90);
        image.SetSpecificDims(true);
        image.LoadFromFile(path);
        ASSERT_NE(image.GetImage(), nullptr);
        EXPECT_EQ(image.GetImage()->size(), QSize(320, 200));
        EXPECT_EQ(image.GetWidth(), 320);
        EXPECT_EQ(image.GetHeight(), 200);
        EXPECT_FALSE(image.GetSpecificDims());
        QString caption;
        image.GetCaption(-1, caption);
        EXPECT_EQ(caption, QString::fromLatin1(name));
        QByteArray fileName;
        image.GetFileName(fileName);
        EXPECT_EQ(fileName, path.toLatin1());
        // Placement is kept.
        EXPECT_EQ(image.GetHorizontalAlign(), eaRight);
        EXPECT_EQ(image.GetVerticalAlign(), eaBottom);
        EXPECT_EQ(image.GetTopOffset(), 7);
        EXPECT_TRUE(image.GetUseFixedHeight());
        EXPECT_EQ(image.GetFixedHeight(), 90);
    }
}

TEST_F(ImageFiles, SecondLoadReplacesFirst)
{
    TVmElementImage image;
    image.LoadFromFile(Write(QStringLiteral("a.png"), test::SolidImage(320, 200, qRgb(1, 2, 3)), "png"));
    image.LoadFromFile(Write(QStringLiteral("b.png"), test::SolidImage(16, 8, qRgb(4, 5, 6)), "png"));
    ASSERT_NE(image.GetImage(), nullptr);
    EXPECT_EQ(image.GetImage()->size(), QSize(16, 8));
    EXPECT_EQ(image.GetImage()->pixel(0, 0), qRgb(4, 5, 6));
    EXPECT_EQ(image.GetWidth(), 16);
}

// A file that is missing or not a picture still installs an image, of size 0 x 0.
TEST_F(ImageFiles, UnreadableFileGivesEmptyImage)
{
    const QString garbage = dir.filePath(QStringLiteral("broken.png"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture at all");
    file.close();
    for (const QString &path : {garbage, dir.filePath(QStringLiteral("missing.png"))}) {
        TVmElementImage image;
        image.SetWidth(50);
        image.LoadFromFile(path);
        ASSERT_NE(image.GetImage(), nullptr);
        EXPECT_EQ(image.GetImage()->size(), QSize(0, 0));
        EXPECT_EQ(image.GetWidth(), 0);
        EXPECT_EQ(image.GetHeight(), 0);
        QString caption;
        image.GetCaption(-1, caption);
        EXPECT_EQ(caption, path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));

        TVmElementProject project;
        project.LoadBackground(path);
        ASSERT_NE(project.GetBackground(), nullptr);
        EXPECT_EQ(project.GetBackground()->size(), QSize(0, 0));
    }
}

TEST(ElementFields, CaptionIsPartAfterLastDelimiter)
{
    const std::pair<QString, QString> rows[] = {
        {QStringLiteral("C:\\Credits\\art\\logo.png"), QStringLiteral("logo.png")},
        {QStringLiteral("/home/ed/art/logo.png"), QStringLiteral("logo.png")},
        {QStringLiteral("/home/ed\\mixed/art\\logo.png"), QStringLiteral("logo.png")},
        {QStringLiteral("logo.png"), QStringLiteral("logo.png")},
        {QStringLiteral("art/"), QString()},
        // A drive-relative name has no folder delimiter; the colon ends the drive.
        {QStringLiteral("C:logo.png"), QStringLiteral("logo.png")},
        {QStringLiteral("/home/ed/take:2/logo.png"), QStringLiteral("logo.png")},
        {QStringLiteral("/home/ed/shot:1.png"), QStringLiteral("1.png")},
    };
    for (const auto &[path, expected] : rows) {
        TVmElementImage image;
        image.LoadFromFile(path);
        QString caption;
        image.GetCaption(-1, caption);
        EXPECT_EQ(caption, expected) << path.toStdString();
    }
}

TEST_F(ImageFiles, BackgroundLoadAndClear)
{
    TVmElementProject project;
    project.ClearBackground();
    EXPECT_EQ(project.GetBackground(), nullptr);
    project.SetWrapMode(2);
    project.LoadBackground(Write(QStringLiteral("bg.bmp"), test::SolidImage(30, 20, qRgb(9, 9, 9)), "bmp"));
    ASSERT_NE(project.GetBackground(), nullptr);
    EXPECT_EQ(project.GetBackground()->size(), QSize(30, 20));
    EXPECT_EQ(project.GetWrapMode(), 2);
    project.ClearBackground();
    EXPECT_EQ(project.GetBackground(), nullptr);
}

} // namespace
