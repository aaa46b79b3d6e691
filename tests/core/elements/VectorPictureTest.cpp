// SVG and PDF pictures: what is taken and what is refused, drawing, and how records keep them.
#include "core/elements/ElementImage.h"
#include "core/elements/ElementProject.h"
#include "core/elements/VectorPicture.h"
#include "core/error.h"
#include "core/typedfiler/TypedFiler.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

QByteArray Svg(const QByteArray &body, const QByteArray &attributes = "width=\"40\" height=\"20\"")
{
    return "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
        + attributes + ">" + body + "</svg>";
}

QString Refusal(const QByteArray &bytes)
{
    try {
        TVectorPicture::FromBytes(bytes, QStringLiteral("logo"));
    } catch (const EVelmoraError &e) {
        return e.message();
    }
    return QString();
}

QByteArray PdfPage()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QSizeF(100, 50), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(72);
        QPainter painter(&writer);
        painter.fillRect(QRectF(0, 0, 50, 50), QColor(200, 0, 0));
    }
    return bytes;
}

TEST(VectorPicture, CraftedFilesAreRefusedWithTheReason)
{
    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;\">]>"
                        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"><text>&b;</text></svg>";
    QByteArray nested;
    for (int i = 0; i < 300; ++i)
        nested += "<g>";
    for (int i = 0; i < 300; ++i)
        nested += "</g>";
    const struct
    {
        const char *What;
        QByteArray Bytes;
        const char *Reason;
    } rows[] = {
        {"entity expansion", laughs, "declares XML entities"},
        {"file picture", Svg("<image href=\"file:///etc/passwd\" width=\"5\" height=\"5\"/>"), "outside itself"},
        {"path picture", Svg("<image xlink:href=\"/etc/hostname\" width=\"5\" height=\"5\"/>"), "outside itself"},
        {"other file's symbol", Svg("<use href=\"other.svg#logo\"/>"), "outside itself"},
        {"remote paint", Svg("<rect width=\"5\" height=\"5\" fill=\"url(http://example.org/p.svg#g)\"/>"), "outside itself"},
        {"imported style", Svg("<style>@import url(#x);</style>"), "outside itself"},
        {"style sheet instruction", "<?xml version=\"1.0\"?><?xml-stylesheet href=\"http://example.org/a.css\"?>" + Svg(""),
         "processing instruction"},
        {"deep nesting", Svg(nested), "nests more than"},
        {"huge size", Svg("", "width=\"1e9\" height=\"10\""), "width passes"},
        {"huge view box", Svg("", "viewBox=\"0 0 1e12 1e12\""), "view box"},
        {"no size", Svg("", "width=\"0\" height=\"0\""), "no size"},
        {"compressed", QByteArray("\x1f\x8b\x08\x00", 4) + QByteArray(40, 'x'), "compressed SVG"},
        {"not SVG", "<html><body/></html>", "not an SVG drawing"},
        {"broken XML", Svg("<rect>"), "not well-formed"},
        {"broken PDF", "%PDF-1.4\nnothing here\n%%EOF", "PDF"},
        {"too large", Svg(QByteArray(MaxVectorPictureBytes, ' ')), "larger than 16 MB"},
    };
    for (const auto &row : rows) {
        const QString refusal = Refusal(row.Bytes);
        EXPECT_TRUE(refusal.startsWith(QStringLiteral("The picture \"logo\" is refused: "))) << row.What << ": " << refusal.toStdString();
        EXPECT_TRUE(refusal.contains(QLatin1String(row.Reason))) << row.What << ": " << refusal.toStdString();
    }
}

TEST(VectorPicture, OrdinaryLogosAreTakenAtTheirOwnSize)
{
    QImage dot(2, 2, QImage::Format_ARGB32);
    dot.fill(Qt::blue);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    dot.save(&buffer, "PNG");
    const QByteArray inside = Svg("<defs><linearGradient id=\"g\"><stop offset=\"0\" stop-color=\"red\"/></linearGradient>"
                                  "<rect id=\"r\" width=\"10\" height=\"10\"/></defs>"
                                  "<rect width=\"40\" height=\"20\" style=\"fill:url(#g)\"/><use xlink:href=\"#r\"/>"
                                  "<image width=\"2\" height=\"2\" xlink:href=\"data:image/png;base64," + png.toBase64() + "\"/>");
    const struct
    {
        const char *What;
        QByteArray Bytes;
        QSizeF Size;
        TVectorPicture::TKind Kind;
    } rows[] = {
        {"fragments and inline data", inside, QSizeF(40, 20), TVectorPicture::TKind::Svg},
        {"a public doctype", Svg("<rect width=\"4\" height=\"4\"/>").replace("?>\n", "?>\n<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" "
                                                                                  "\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">\n"),
         QSizeF(40, 20), TVectorPicture::TKind::Svg},
        {"view box only", Svg("<rect width=\"4\" height=\"4\"/>", "viewBox=\"0 0 300 100\""), QSizeF(300, 100),
         TVectorPicture::TKind::Svg},
        {"PDF page", PdfPage(), QSizeF(100, 50), TVectorPicture::TKind::Pdf},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.What);
        std::shared_ptr<const TVectorPicture> picture;
        ASSERT_NO_THROW(picture = TVectorPicture::FromBytes(row.Bytes, QStringLiteral("logo")));
        EXPECT_EQ(picture->Kind(), row.Kind);
        EXPECT_NEAR(picture->NaturalSize().width(), row.Size.width(), 0.5);
        EXPECT_NEAR(picture->NaturalSize().height(), row.Size.height(), 0.5);
        EXPECT_EQ(picture->Bytes(), row.Bytes);
    }
    // The PDF's red half lands on the left half, drawn at ten times its size.
    const QImage drawn = TVectorPicture::FromBytes(PdfPage(), QStringLiteral("page"))->Rasterized(QSize(1000, 500));
    EXPECT_EQ(drawn.pixelColor(200, 250), QColor(200, 0, 0));
    EXPECT_EQ(drawn.pixelColor(800, 250).alpha(), 0);
}

QByteArray Saved(const IElement &element)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    element.SaveToStream(buffer);
    return bytes;
}

void Load(IElement &element, QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    element.LoadFromStream(buffer);
}

// A picture slot holding bytes as a vector record.
QByteArray Slot(const QByteArray &bytes)
{
    QByteArray slot;
    QBuffer buffer(&slot);
    buffer.open(QIODevice::WriteOnly);
    TTypedFiler filer(&buffer);
    WriteVectorPicture(filer, bytes);
    return slot;
}

TEST(VectorPicture, RecordsKeepTheOriginalBytes)
{
    QTemporaryDir dir;
    const QByteArray logo = Svg("<polygon points=\"20,2 38,18 2,18\" fill=\"#d02020\"/>");
    QFile file(dir.filePath(QStringLiteral("logo.svg")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(logo);
    file.close();

    TVmElementImage image;
    image.LoadFromFile(file.fileName());
    ASSERT_NE(image.GetVector(), nullptr);
    EXPECT_EQ(image.GetImage()->size(), QSize(40, 20));  // its preview, for thumbnails
    const QByteArray record = Saved(image);
    EXPECT_TRUE(record.contains(logo));
    TVmElementImage loaded;
    Load(loaded, record);
    ASSERT_NE(loaded.GetVector(), nullptr);
    EXPECT_EQ(loaded.GetVector()->Bytes(), logo);
    EXPECT_EQ(Saved(loaded), record);

    TVmElementProject project;
    project.LoadBackground(file.fileName());
    const QByteArray projectRecord = Saved(project);
    TVmElementProject loadedProject;
    Load(loadedProject, projectRecord);
    EXPECT_EQ(Saved(loadedProject), projectRecord);
    EXPECT_TRUE(loadedProject.BackgroundProblem().isEmpty());

    // Refused bytes in a project are kept as they are and shown as nothing, with the reason.
    const QByteArray evil = Svg("<image href=\"file:///etc/passwd\"/>");
    QByteArray rebuilt = record;
    rebuilt.replace(Slot(logo), Slot(evil));
    ASSERT_NE(rebuilt, record);
    TVmElementImage refused;
    ASSERT_NO_THROW(Load(refused, rebuilt));
    EXPECT_EQ(refused.GetVector(), nullptr);
    EXPECT_TRUE(refused.PictureProblem().contains(QStringLiteral("outside itself"))) << refused.PictureProblem().toStdString();
    EXPECT_EQ(Saved(refused), rebuilt);

    // A crafted file is refused when it is loaded, and the element keeps what it had.
    QFile bad(dir.filePath(QStringLiteral("bad.svg")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(evil);
    bad.close();
    EXPECT_THROW(image.LoadFromFile(bad.fileName()), EVelmoraError);
    EXPECT_EQ(Saved(image), record);
}

} // namespace
