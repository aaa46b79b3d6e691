// Credits as the sign-off tools read them: which names count as one spelling, and how a roll's
// elements become credits and sections.
#include "core/signoff/Credits.h"

#include "support/RollBuilder.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::test::RollBuilder;

namespace {

struct TNamePair
{
    const char *First;
    const char *Second;
    bool Same;
};

class NameKeyTest : public ::testing::TestWithParam<TNamePair>
{
};

TEST_P(NameKeyTest, GroupsSpellingsThatDifferOnlyInMarks)
{
    const TNamePair &pair = GetParam();
    EXPECT_EQ(NameKey(QString::fromUtf8(pair.First)) == NameKey(QString::fromUtf8(pair.Second)), pair.Same)
        << pair.First << " / " << pair.Second;
}

INSTANTIATE_TEST_SUITE_P(Names, NameKeyTest,
                         ::testing::Values(TNamePair{"Zoe Smith", "Zo\xc3\xab Smith", true},          // accent
                                           TNamePair{"Zoe Smith", "Zoe\xcc\x88 Smith", true},         // combining accent
                                           TNamePair{"Zoe Smith", "ZOE SMITH", true},                 // case
                                           TNamePair{"Zoe Smith", "Zoe  Smith", true},                // spacing
                                           TNamePair{"Anne-Marie O'Neil", "Anne Marie ONeil", true},  // punctuation
                                           TNamePair{"Stra\xc3\x9f" "e", "STRASSE", true},            // case folding
                                           TNamePair{"Ann Lee", "Anne Lee", false},
                                           TNamePair{"Zoe Smith", "Zoe Smyth", false},
                                           TNamePair{"\xe7\x8e\x8b\xe8\x8a\xb3", "\xe7\x8e\x8b\xe8\x8a\xb1", false})); // CJK stays itself

TEST(CreditsTest, ReadsRolesListsHeadingsAndSections)
{
    RollBuilder roll(1920, 1080);
    TElementNode &project = *roll.projectNode;
    roll.Text(project, QStringLiteral("CAMERA"));
    TElementNode &pair = roll.Columns(project, 2);
    // Column padding (thin spaces, a word joiner) is not part of the role or the name.
    roll.Text(*pair.Child(0), QString::fromUtf8("Operator\u2009\u2009\u2060"));
    roll.Text(*pair.Child(1), QString::fromUtf8("\u2009\u2009Ugo Eskildsen\r\nRhea Umberfield"));
    roll.Text(project, QStringLiteral("Ada Valdivia\r\nMilo Nakashima"));
    roll.Text(project, QStringLiteral("Filmed on location in the northern fjords over two long winters."));

    const std::vector<TCredit> credits = ExtractCredits(project);
    ASSERT_EQ(credits.size(), 4u);
    EXPECT_EQ(credits[0].Kind, TCreditKind::Heading);
    EXPECT_EQ(credits[1].Kind, TCreditKind::Role);
    EXPECT_EQ(credits[1].Role, QStringLiteral("Operator"));
    EXPECT_EQ(credits[1].Names, (QStringList{"Ugo Eskildsen", "Rhea Umberfield"}));
    EXPECT_EQ(credits[2].Kind, TCreditKind::Names);
    EXPECT_EQ(credits[3].Kind, TCreditKind::Text);
    for (std::size_t i = 1; i < credits.size(); ++i) {
        EXPECT_EQ(credits[i].Section, 1);
        EXPECT_EQ(credits[i].SectionTitle, QStringLiteral("CAMERA"));
    }
}

} // namespace
