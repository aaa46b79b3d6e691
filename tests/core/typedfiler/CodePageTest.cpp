// Windows-1252 narrowing and widening.
#include "core/typedfiler/CodePage.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

TEST(CodePageTest, EveryByteSurvivesARoundTrip)
{
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<char>(i);
    const QString wide = FromSystemCodePage(all);
    EXPECT_EQ(wide.size(), 256);
    EXPECT_EQ(ToSystemCodePage(wide), all);
}

TEST(CodePageTest, HighControlRangeMapsToTypographicCharacters)
{
    const struct {
        quint8 Byte;
        char16_t Character;
    } rows[] = {
        {0x80, u'\u20AC'}, {0x81, u'\u0081'}, {0x82, u'\u201A'}, {0x85, u'\u2026'}, {0x8A, u'\u0160'},
        {0x8C, u'\u0152'}, {0x8D, u'\u008D'}, {0x8E, u'\u017D'}, {0x91, u'\u2018'}, {0x93, u'\u201C'},
        {0x96, u'\u2013'}, {0x97, u'\u2014'}, {0x99, u'\u2122'}, {0x9C, u'\u0153'}, {0x9F, u'\u0178'},
        {0xA0, u'\u00A0'}, {0xE9, u'\u00E9'}, {0x41, u'A'},
    };
    for (const auto &row : rows) {
        const QByteArray narrow(1, static_cast<char>(row.Byte));
        const QString wide(QChar(row.Character));
        EXPECT_EQ(FromSystemCodePage(narrow), wide) << int(row.Byte);
        EXPECT_EQ(ToSystemCodePage(wide), narrow) << int(row.Byte);
    }
}

TEST(CodePageTest, UnrepresentableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(ToSystemCodePage(QStringLiteral("Caf\u00E9 \u0100\u4E2D \u0080!")), QByteArray("Caf\xE9 ?? ?!"));
    // One mark per character, also outside the basic plane.
    EXPECT_EQ(ToSystemCodePage(QString::fromUtf8("a\xF0\x9F\x8E\xAC" "b")), QByteArray("a?b"));
}

} // namespace
