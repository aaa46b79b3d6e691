// The sections of a roll: its headings and where the slider must go to show each at the top.
#include "core/signoff/RollSections.h"

#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "core/signoff/RollMap.h"
#include "support/RollBuilder.h"
#include "support/SheetFiles.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::test::RollBuilder;

TEST(RollSections, HeadingsOfElementsAndOfLinkedBlocksInRollOrder)
{
    RollBuilder roll(640, 360);
    TElementNode &project = *roll.projectNode;
    roll.Text(project, QStringLiteral("CAMERA"), 40);
    roll.Text(project, QStringLiteral("Directed by"), 10);
    roll.Text(project, QString::fromUtf8("Filmed\r\non location"), 10); // two lines: no heading
    QTemporaryDir dir;
    const QString sheet = dir.filePath("c.csv");
    test::WriteSheet(sheet, {{"Kind", "Role", "Name", "Text"},
                             {"pair", "Grip", "Ada Valdivia", ""},
                             {"heading", "", "", "SOUND"},
                             {"pair", "Mixer", "Milo Thorne", ""}});
    roll.tree.InsertChild(project, project.ChildCount(), CreditBlockNode(ReadCreditSource(sheet, QString(), QString(), QString())));
    roll.Text(project, QStringLiteral("THE END"), 30);

    const std::vector<TRollSection> sections = RollSections(roll.tree);
    ASSERT_EQ(sections.size(), 3u);
    EXPECT_EQ(sections[0].Title, QStringLiteral("CAMERA"));
    EXPECT_EQ(sections[1].Title, QStringLiteral("SOUND"));
    EXPECT_EQ(sections[2].Title, QStringLiteral("THE END"));
    const TRollMap map = MapRoll(roll.tree);
    // An element's heading is at the top of the frame once the film height and its place have passed.
    EXPECT_EQ(sections[0].Position, 360 + 40);
    EXPECT_EQ(sections[0].Node, project.Child(0));
    EXPECT_EQ(sections[2].Position, 360 + map.Find(project.Child(4))->ContentTop);
    // The block's heading lies inside the block, below its first pair.
    const TPlacedNode &block = *map.Find(project.Child(3));
    EXPECT_EQ(sections[1].Node, project.Child(3));
    EXPECT_GT(sections[1].Position, 360 + block.ContentTop);
    EXPECT_LT(sections[1].Position, 360 + block.Bottom);
}

TEST(RollSections, NoneWithoutAProject)
{
    TElementTree tree;
    EXPECT_TRUE(RollSections(tree).empty());
}
