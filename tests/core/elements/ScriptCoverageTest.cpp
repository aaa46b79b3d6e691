// Names in the scripts credits meet draw with real glyphs in every style, and what no font
// has is found.
#include "core/elements/ElementText.h"
#include "core/elements/FontCoverage.h"
#include "core/elements/TextBlock.h"

#include "support/TestImages.h"

#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <gtest/gtest.h>

namespace velmora {
namespace {

constexpr QRgb Black = 0xFF000000;

struct TScriptName
{
    const char *Script;
    const char *Name;
};

constexpr TScriptName ScriptNames[] = {
    {"Latin", "Đặng Thị Ngọc Hân, Łukasz Żółć, Ærøskøbing, Ṭhaṣṭhī"},
    {"Greek", "Γιώργος Λάνθιμος"},
    {"Cyrillic", "Андрей Тарковский"},
    {"Arabic", "يوسف شاهين"},
    {"Hebrew", "עמוס גיתאי"},
    {"Devanagari", "सत्यजित राय"},
    {"Thai", "อภิชาติพงศ์ วีระเศรษฐกุล"},
    {"CJK", "黒澤明 張藝謀"},
    {"Korean", "봉준호"},
};

constexpr const char *Styles[] = {"Arial", "Arial Bold", "Liberation Sans Italic", "Times New Roman Italic"};

// Below and above the size where text is drawn from outlines.
constexpr int Sizes[] = {24, 120};

// Glyphs the layout picked that are boxes: .notdef, or a face without a font file behind it.
int BoxGlyphs(const QString &text, const QFont &font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine().setLineWidth(0.0);
    layout.endLayout();
    int boxes = 0;
    for (const QGlyphRun &run : layout.glyphRuns())
        boxes += run.rawFont().fontTable("cmap").isEmpty() ? int(run.glyphIndexes().size()) : int(run.glyphIndexes().count(0u));
    return boxes;
}

TEST(ScriptCoverage, NamesDrawInEveryStyleAndSize)
{
    for (const TScriptName &name : ScriptNames)
        for (const char *style : Styles)
            for (const int size : Sizes) {
                const QString where = QStringLiteral("%1 in %2 at %3 px").arg(name.Script, style).arg(size);
                const QString text = QString::fromUtf8(name.Name);
                TVmElementText element;
                element.SetText(text);
                element.SetFontName(style);
                element.SetFontSize(size);
                QImage canvas(size * 30, size * 3, QImage::Format_ARGB32_Premultiplied);
                canvas.fill(Black);
                TLayoutRect rect{0, 0, canvas.width(), canvas.height()};
                {
                    QPainter painter(&canvas);
                    element.Render(painter, rect, 0);
                }
                const QRect ink = test::InkBounds(canvas, Black);
                ASSERT_FALSE(ink.isNull()) << qPrintable(where);
                // Glyphs of a real font are about as tall as the size, never a hairline.
                EXPECT_GT(ink.height(), size / 3) << qPrintable(where);
                const QFont font = TextBlockFont(style, size);
                EXPECT_EQ(BoxGlyphs(text, font), 0) << qPrintable(where);
                EXPECT_TRUE(MissingCharacters(text, font).isEmpty()) << qPrintable(where);
            }
}

TEST(ScriptCoverage, CharactersNoFontHasAreNamed)
{
    const struct
    {
        const char *Text;
        QList<char32_t> Missing;
    } cases[] = {
        {"Plain name", {}},
        {"", {}},
        // Private-use code points: no font draws them; each is named once, in order.
        {"Apple \xEF\xA3\xBF and \xF4\x8F\xBF\xBD \xEF\xA3\xBF", {0xF8FF, 0x10FFFD}},
        // Invisible joiners, spaces and line breaks are never reported.
        {"A\xE2\x80\x8D" "B\xE2\x80\x8B\r\nC\xC2\xA0" "D", {}},
        // Among scripts that do draw, only the one character without a font.
        {"봉준호 \xEF\xA3\xBF يوسف", {0xF8FF}},
    };
    for (const auto &c : cases)
        for (const char *style : Styles) {
            const QString text = QString::fromUtf8(c.Text);
            EXPECT_EQ(MissingCharacters(text, TextBlockFont(style, 30)), c.Missing) << c.Text << " in " << style;
        }
    EXPECT_EQ(CodePointList({0xF8FF, 0x10FFFD, 0x41}), QStringLiteral("U+F8FF, U+10FFFD, U+0041"));
}

} // namespace
} // namespace velmora
