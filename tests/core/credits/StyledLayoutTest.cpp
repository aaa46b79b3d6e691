// Styles at layout: a credit block takes the project's style of a name in place of the sheet's,
// at the film's size, and a text's leading and tracking space it out.
#include "core/render/LayoutPass.h"
#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "core/document/ElementTree.h"
#include "core/elements/ElementProject.h"
#include "core/elements/TextBlock.h"
#include "core/render/FrameRenderer.h"
#include "core/credits/CreditStyleBridge.h"
#include "core/edit/StyleLooks.h"

#include <QTextLayout>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

struct Roll
{
    TElementTree tree;
    TVmElementProject *project = nullptr;
    const TVmElementCreditBlock *block = nullptr;

    explicit Roll(int height)
    {
        auto owned = std::make_unique<TVmElementProject>();
        project = owned.get();
        project->SetWidth(height * 16 / 9);
        project->SetHeight(height);
        TElementNode &projectNode = tree.InsertChild(tree.Root(), 0, std::make_unique<TElementNode>(std::move(owned)));
        TCreditSource source;
        source.SheetPath = QStringLiteral("credits.csv");
        source.StylesJson = QStringLiteral(R"({"Heading": {"FontSize": 36, "Color": "#FFFFFF", "SpaceBefore": 0}})");
        source.Sheet.Name = QStringLiteral("credits.csv");
        source.Sheet.Rows = {{1, {"Kind", "Text"}}, {2, {"heading", "Cast"}}, {3, {"text", "A story"}}};
        TElementNode &node = tree.InsertChild(projectNode, 0, CreditBlockNode(std::move(source)));
        block = static_cast<const TVmElementCreditBlock *>(node.Element());
    }
    // The heading's first line as the last frame laid it out.
    const TCreditLayout::TLine &Heading()
    {
        TFrameRenderer renderer;
        renderer.RenderFrame(tree, 0, false);
        return block->LayoutFor(FilmOf(*tree.ProjectNode())).Pieces().front().Lines.front();
    }
};

TEST(StyledLayout, LinkedBlockUsesTheProjectsStyleOfTheSameNameAtEveryFilmSize)
{
    for (const int height : {576, 1080, 2160}) {
        SCOPED_TRACE(height);
        Roll roll(height);
        EXPECT_EQ(roll.Heading().Layout->font().pixelSize(), std::max(1, qRound(36.0 * height / 1080)));
        const double sheetBottom = roll.block->LayoutFor(FilmOf(*roll.tree.ProjectNode())).Height();

        TProjectStyle heading;
        heading.Name = QStringLiteral("heading");
        heading.FontName = QStringLiteral("DejaVu Serif");
        heading.FontSize = height / 10;  // project pixels
        heading.Color = 0xFFFF8000u;
        heading.HAlign = eaLeft;
        roll.project->SetStyles({heading});
        const TCreditLayout::TLine &line = roll.Heading();
        EXPECT_EQ(line.Layout->font().pixelSize(), height / 10);
        EXPECT_EQ(line.Layout->font().family(), QStringLiteral("DejaVu Serif"));
        EXPECT_EQ(line.Color, QColor(0xFF, 0x80, 0x00));
        EXPECT_GT(roll.block->LayoutFor(FilmOf(*roll.tree.ProjectNode())).Height(), sheetBottom);
        // Left-aligned: the line starts near the band's left edge, not centred.
        EXPECT_LT(line.Origin.x() + line.Layout->lineAt(0).naturalTextRect().left(), height * 16 / 9 / 4);

        // Unlinked, the rows become texts that look as the block did and follow the style.
        const TCreditBlock unlinked = UnlinkedCreditElements(*roll.block, height * 16 / 9, height, QString(), roll.project->GetStyles());
        const TProjectStyle look = LookOf(*unlinked.Nodes.front()->Element());
        EXPECT_EQ(look.Name, QStringLiteral("Heading"));
        EXPECT_EQ(look.FontSize, height / 10);
        EXPECT_EQ(look.Color, 0xFFFF8000u);

        // Without project styles the sheet's come back.
        roll.project->SetStyles({});
        EXPECT_EQ(roll.Heading().Layout->font().pixelSize(), std::max(1, qRound(36.0 * height / 1080)));
    }
}

TEST(StyledLayout, LeadingAndTrackingSpaceATextOutAndDefaultsChangeNothing)
{
    const QString text = QStringLiteral("One\r\nTwo\r\nThree");
    TTextBlock plain, same, led, tracked;
    const qint32 base = plain.Measure(text, "Liberation Sans", 30, 0, eaLeft, eaTop);
    EXPECT_EQ(same.Measure(text, "Liberation Sans", 30, 0, eaLeft, eaTop, 1.0, 0), base);
    // Three lines at double leading: two gaps of one extra line each, none below the last.
    const qint32 doubled = led.Measure(text, "Liberation Sans", 30, 0, eaLeft, eaTop, 2.0, 0);
    EXPECT_NEAR(doubled, base * 5.0 / 3.0, 1.0);
    EXPECT_EQ(tracked.Measure(text, "Liberation Sans", 30, 0, eaLeft, eaTop, 1.0, 10), base);
    const QFont font = TextBlockFont("Liberation Sans", 30);
    QFont spaced = font;
    spaced.setLetterSpacing(QFont::AbsoluteSpacing, 10);
    EXPECT_NEAR(LineAdvance(spaced, QStringLiteral("Three")) - LineAdvance(font, QStringLiteral("Three")), 50.0, 1.0);
}

} // namespace
