// Face suffixes in font names.
#include "core/elements/FontFaces.h"
#include "core/elements/ElementText.h"

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

} // namespace
} // namespace velmora
