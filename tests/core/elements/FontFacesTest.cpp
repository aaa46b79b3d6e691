// Face suffixes in font names.
#include "core/elements/FontFaces.h"
#include "core/elements/ElementText.h"
#include "core/elements/TextBlock.h"

#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(FontFaces, SuffixesPickTheFamilysFace)
{
    const struct
    {
        const char *Name;
        const char *Family;
        int Weight;
        bool Italic;
        bool Known;
    } cases[] = {
        {"Liberation Sans", "Liberation Sans", QFont::Normal, false, true},
        {"Liberation Sans Bold", "Liberation Sans", QFont::Bold, false, true},
        {"liberation serif bold italic", "liberation serif", QFont::Bold, true, true},
        {"Arial Bold", "Arial", QFont::Bold, false, true},
        {"Liberation Sans Semi Bold", "Liberation Sans", QFont::DemiBold, false, true},
        {"DejaVu Sans Oblique", "DejaVu Sans", QFont::Normal, true, true},
        {"Nonesuch Grotesk Bold", "Nonesuch Grotesk Bold", QFont::Normal, false, false},
        {"Liberation Sans Sideways", "Liberation Sans Sideways", QFont::Normal, false, false},
    };
    for (const auto &c : cases) {
        const TFontFace face = ResolveFontFace(c.Name);
        EXPECT_EQ(face.Family, c.Family) << c.Name;
        EXPECT_EQ(face.Weight, c.Weight) << c.Name;
        EXPECT_EQ(face.Italic, c.Italic) << c.Name;
        EXPECT_EQ(face.Known, c.Known) << c.Name;
    }
    EXPECT_TRUE(QFontInfo(FontForName("Liberation Sans Bold", 30)).bold());
    EXPECT_EQ(QFontInfo(FontForName("Liberation Sans Bold", 30)).family(), "Liberation Sans");
    EXPECT_TRUE(FontFaceNames().contains("Liberation Sans Bold Italic"));
}

int Ink(const char *fontName)
{
    TVmElementText text;
    text.SetText("Bold and regular");
    text.SetFontName(fontName);
    text.SetFontSize(40);
    QImage image(600, 100, QImage::Format_ARGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        TLayoutRect rect{0, 0, 600, 100};
        text.Render(painter, rect, 0);
    }
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += qGray(image.pixel(x, y));
    return ink;
}

TEST(FontFaces, BoldDrawsHeavierText)
{
    EXPECT_GT(Ink("Liberation Sans Bold"), Ink("Liberation Sans") * 11 / 10);
}

// Spaces a face lacks (Liberation has no thin or em space) come from the DejaVu face of its
// kind, whose lines are as tall as Liberation's: taken from a taller script font, every
// padded credit line grew by four pixels and a feature roll by a tenth. Aliases still draw
// the face they name.
TEST(FontFaces, SpacesTheFaceLacksKeepTheLineHeight)
{
    struct TRow
    {
        const char *Name;
        const char *Drawn;
        int Taller;  // DejaVu Sans Mono's lines are a little taller than Liberation Mono's
    };
    for (const TRow row : {TRow{"Arial", "Liberation Sans", 1}, TRow{"Times New Roman Italic", "Liberation Serif", 1},
                           TRow{"Courier New", "Liberation Mono", 3}, TRow{"Liberation Sans Bold", "Liberation Sans", 1}}) {
        SCOPED_TRACE(row.Name);
        const QFont font = FontForName(QString::fromLatin1(row.Name), 22);
        EXPECT_EQ(QFontInfo(font).family(), QString::fromLatin1(row.Drawn));
        TTextBlock plain;
        TTextBlock padded;
        const qint32 plainHeight = plain.Measure("Camera Lead", row.Name, 22, 0, eaLeft, eaTop);
        const qint32 paddedHeight = padded.Measure(QString::fromUtf8("\u2003Camera Lead\u2009\u2009\u2060"), row.Name, 22, 0, eaLeft, eaTop);
        EXPECT_LE(paddedHeight - plainHeight, row.Taller);
    }
}

} // namespace
} // namespace velmora
