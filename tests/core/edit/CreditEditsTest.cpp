// The credit block edits of the core: each is one undo step, and undoing it gives back the
// very project it started from, without any widget around.
#include "EditFixture.h"

#include "core/render/CreditFit.h"
#include "core/credits/CreditSource.h"
#include "core/edit/CreditEdits.h"
#include "core/edit/CreditSheet.h"
#include "core/render/FrameRenderer.h"
#include "core/render/RunningTime.h"

#include "support/SheetFiles.h"

#include <QTemporaryDir>
#include <functional>

using namespace velmora;
using namespace velmora::test;

namespace {

struct CreditEditsTest : EditFixture
{
    QTemporaryDir Dir;
    QString Sheet = Dir.filePath("credits.csv");
    TElementNode *Block = nullptr;

    // A linked block of a heading and two pairs, last in the roll.
    void AddBlock()
    {
        WriteSheet(Sheet, {{"Kind", "Role", "Name", "Text"},
                           {"heading", "", "", "CAST"},
                           {"pair", "Keeper", "Ada Valdivia", ""},
                           {"pair", "Pilot", "Milo Thorne", ""}});
        Block = &document.Tree().InsertChild(Project(), Project().ChildCount(),
                                             CreditBlockNode(ReadCreditSource(Sheet, QString(), QString(), QString())));
    }
    const TVmElementCreditBlock &BlockElement() const { return *dynamic_cast<const TVmElementCreditBlock *>(Block->Element()); }
};

struct TCreditEditCase
{
    const char *Name;
    const char *UndoText;
    std::function<void(CreditEditsTest &)> Edit;
    // What must hold after the edit.
    std::function<void(CreditEditsTest &)> Check;
};

} // namespace

TEST_F(CreditEditsTest, EachEditIsOneStepThatUndoesExactly)
{
    const TCreditEditCase cases[] = {
        {"insert", "Import Credits",
         [](CreditEditsTest &t) {
             t.document.Tree().SetFocusedNode(t.A);
             std::vector<std::unique_ptr<TElementNode>> nodes;
             nodes.push_back(CreditBlockNode(ReadCreditSource(t.Sheet, QString(), QString(), QString())));
             const TTemplateSettings film{0, 1920, 1080, 25, 2, 0xff000000};
             const auto inserted = InsertCredits(t.document, std::move(nodes), {}, film);
             ASSERT_EQ(inserted.size(), 1u);
         },
         [](CreditEditsTest &t) {
             // After the focused node, with the film the sheet asked for.
             EXPECT_NE(dynamic_cast<const TVmElementCreditBlock *>(t.Project().Child(1)->Element()), nullptr);
             EXPECT_EQ(queryInterface<IProject>(t.Project().Element())->GetWidth(), 1920);
             EXPECT_EQ(queryInterface<IProject>(t.Project().Element())->GetScrollRate(), 2);
         }},
        {"unlink", "Unlink Credits", [](CreditEditsTest &t) { ASSERT_TRUE(UnlinkCredits(t.document, *t.Block)); },
         [](CreditEditsTest &t) {
             // The block is gone; its texts stand in the roll in its place.
             for (std::size_t i = 0; i < t.Project().ChildCount(); ++i)
                 EXPECT_EQ(dynamic_cast<const TVmElementCreditBlock *>(t.Project().Child(i)->Element()), nullptr);
             EXPECT_GT(t.Project().ChildCount(), 5u);
         }},
        {"reload", "Reload Credits",
         [](CreditEditsTest &t) {
             WriteSheet(t.Sheet, {{"Kind", "Role", "Name", "Text"}, {"heading", "", "", "CREW"}});
             std::vector<std::pair<TElementNode *, std::unique_ptr<TVmElementCreditBlock>>> reloaded;
             reloaded.emplace_back(t.Block, ReloadedCreditBlock(t.BlockElement(), QString()));
             ReloadCreditBlocks(t.document, std::move(reloaded));
         },
          [](CreditEditsTest &t) { EXPECT_EQ(t.BlockElement().Source().Sheet.Rows.size(), 2u); }},
        {"fit", "Fit to Running Time",
         [](CreditEditsTest &t) {
             const auto plan = PlanRollRunningTime(t.document.Tree(), 25 * 2);
             ASSERT_TRUE(plan.has_value());
             ApplyRunningTimeFit(t.document, *plan);
         },
         [](CreditEditsTest &t) {
             // Two seconds is far shorter than this roll at one pixel a frame: it scrolls faster.
             EXPECT_GT(queryInterface<IProject>(t.Project().Element())->GetScrollRate(), 1);
         }},
        {"elastic fit", "Fit to Running Time",
         [](CreditEditsTest &t) {
             TElasticPlan plan = PlanRollWithoutBlack(t.document.Tree(), 25 * 60, true);
             ASSERT_TRUE(plan.Fit.has_value()) << plan.Problem.toStdString();
             ApplyElasticFit(t.document, std::move(plan));
         },
         [](CreditEditsTest &) {}},
    };
    AddBlock();
    for (const TCreditEditCase &c : cases) {
        SCOPED_TRACE(c.Name);
        CreditEditsTest &t = *this;
        Stack().clear();
        // A drawn text keeps its measured height (the Fixed Height it would start from): drawn
        // once, as in the editor, the roll's bytes change only with the edits.
        TFrameRenderer().RenderFrame(document.Tree(), 0, false);
        const QByteArray before = Bytes();
        c.Edit(t);
        ASSERT_EQ(Stack().count(), 1);
        EXPECT_EQ(Stack().undoText(), QString::fromLatin1(c.UndoText));
        EXPECT_NE(Bytes(), before);
        c.Check(t);
        Stack().undo();
        EXPECT_EQ(Bytes(), before);
        Stack().redo();
        c.Check(t);
        // Undone, the nodes a step took out are the very ones back in: Block holds for the next case.
        Stack().undo();
    }
}

TEST_F(CreditEditsTest, AWorksheetThatDoesNotReadLeavesTheProjectAsItWas)
{
    AddBlock();
    Stack().clear();
    const QByteArray before = Bytes();
    // The block reads its only worksheet already; a text is no block.
    EXPECT_FALSE(ChangeWorksheet(document, *Block, BlockElement().Source().Worksheet));
    EXPECT_FALSE(ChangeWorksheet(document, *A, QStringLiteral("Other")));
    EXPECT_THROW(ChangeWorksheet(document, *Block, QStringLiteral("Other")), EVelmoraError);
    EXPECT_EQ(Stack().count(), 0);
    EXPECT_EQ(Bytes(), before);
}
