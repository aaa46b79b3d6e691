// Style edits as steps: applying to a selection, restyling every text that follows a style,
// removing and renaming styles, and new texts taking the current style.
#include "core/document/Document.h"
#include "core/edit/EditCommands.h"
#include "core/edit/StyleCommands.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"
#include "core/edit/StyleLooks.h"
#include "core/elements/Interfaces.h"
#include "core/signoff/Preflight.h"

#include "core/edit/StyleTestSupport.h"

#include <QUndoStack>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

TProjectStyle Style(const char *name, int size, TArgb color, TElementHAlignment align)
{
    return test::MakeStyle(name, size, color, align);
}

// project(T0, T1, T2, Pair(Column(Role), Column(Name))) with styles Heading and Name.
struct StyleCommands : ::testing::Test
{
    TDocument document;
    std::vector<TElementNode *> texts;
    TElementNode *pair = nullptr;

    StyleCommands()
    {
        TElementTree &tree = document.Tree();
        for (int i = 0; i < 3; ++i)
            texts.push_back(&tree.AddChild(*document.ProjectNode(), std::make_unique<TVmElementText>()));
        auto pairNode = MakeCreditPair(QStringLiteral("Music"), QStringLiteral("Ann Lee"));
        pair = &tree.InsertChild(*document.ProjectNode(), 3, std::move(pairNode));
        auto *project = queryInterface<IProjectStyles>(document.ProjectNode()->Element());
        project->SetStyles({Style("Heading", 40, 0xFFFFCC00u, eaCenter), Style("Name", 28, 0xFFEEEEEEu, eaLeft)});
    }
    TProjectStyle Look(const TElementNode *node) { return LookOf(*node->Element()); }
    const TProjectStyles &Styles() { return ProjectStylesOf(document.Tree()); }
    int Steps() { return document.UndoStack().count(); }
};

TEST_F(StyleCommands, ApplyToSelectionReachesTextsInsideColumnsAsOneStep)
{
    const TProjectStyle before = Look(texts[2]);
    ASSERT_TRUE(ApplyStyle(document, {texts[0], pair, pair->Child(0)}, QStringLiteral("name")));
    EXPECT_EQ(Steps(), 1);
    for (const TElementNode *node : {texts[0], pair->Child(0)->Child(0), pair->Child(1)->Child(0)})
        EXPECT_EQ(Look(node), Styles()[1]);
    EXPECT_EQ(Look(texts[2]), before);
    // Nothing to do, no step: the same style again, an unknown style, a picture-less selection.
    EXPECT_FALSE(ApplyStyle(document, {texts[0]}, QStringLiteral("Name")));
    EXPECT_FALSE(ApplyStyle(document, {texts[1]}, QStringLiteral("Credits")));
    EXPECT_FALSE(ApplyStyle(document, {}, QStringLiteral("Name")));
    EXPECT_EQ(Steps(), 1);
    document.UndoStack().undo();
    EXPECT_EQ(Look(texts[0]).Name, QString());
    EXPECT_EQ(Look(pair->Child(0)->Child(0)).HAlign, eaRight);
}

TEST_F(StyleCommands, EditingAStyleRestylesEveryTextThatFollowsItAsOneStep)
{
    ApplyStyle(document, {texts[0], texts[1]}, QStringLiteral("Heading"));
    ApplyStyle(document, {texts[2]}, QStringLiteral("Name"));
    // A colour given to one heading by hand survives a change of the style's size and font.
    queryInterface<IGDIPFont>(texts[1]->Element())->SetColor(0xFF00FF00u);
    const TProjectStyle ownHeading = Look(texts[1]);
    const TProjectStyle name = Look(texts[2]);
    const int steps = Steps();

    TProjectStyle edited = Styles()[0];
    edited.FontSize = 52;
    edited.FontName = QStringLiteral("DejaVu Serif");
    edited.Leading = 1.5;
    ASSERT_TRUE(ChangeStyle(document, QStringLiteral("HEADING"), edited));
    EXPECT_EQ(Steps(), steps + 1);
    EXPECT_EQ(Styles()[0], edited);
    EXPECT_EQ(Look(texts[0]), edited);
    EXPECT_EQ(Look(texts[1]).FontSize, 52);
    EXPECT_EQ(Look(texts[1]).Leading, 1.5);
    EXPECT_EQ(Look(texts[1]).Color, 0xFF00FF00u);
    EXPECT_EQ(Look(texts[2]), name);

    document.UndoStack().undo();
    EXPECT_EQ(Styles()[0].FontSize, 40);
    EXPECT_EQ(Look(texts[0]), Styles()[0]);
    EXPECT_EQ(Look(texts[1]), ownHeading);
    document.UndoStack().redo();
    EXPECT_EQ(Look(texts[0]), edited);
}

TEST_F(StyleCommands, EditsOfOneSessionFoldIntoOneStep)
{
    ApplyStyle(document, {texts[0]}, QStringLiteral("Heading"));
    const int steps = Steps();
    TProjectStyle edited = Styles()[0];
    for (const int size : {41, 42, 43}) {
        edited.FontSize = size;
        ChangeStyle(document, edited.Name, edited, 7);
    }
    // Renamed within the session, still the same edit.
    edited.Name = QStringLiteral("Title");
    ChangeStyle(document, QStringLiteral("Heading"), edited, 7);
    EXPECT_EQ(Steps(), steps + 1);
    EXPECT_EQ(Look(texts[0]).FontSize, 43);
    edited.Color = 0xFF000000u;
    ChangeStyle(document, QStringLiteral("Title"), edited, 8);
    EXPECT_EQ(Steps(), steps + 2);
    document.UndoStack().undo();
    document.UndoStack().undo();
    EXPECT_EQ(Look(texts[0]), Styles()[0]);
    EXPECT_EQ(Look(texts[0]).FontSize, 40);
    EXPECT_EQ(Look(texts[0]).Name, QStringLiteral("Heading"));
}

TEST_F(StyleCommands, RenamingAndRemovingKeepTheTextsLooks)
{
    ApplyStyle(document, {texts[0]}, QStringLiteral("Heading"));
    TProjectStyle renamed = Styles()[0];
    renamed.Name = QStringLiteral("Title");
    // A name another style has is refused.
    TProjectStyle clash = renamed;
    clash.Name = QStringLiteral("name");
    EXPECT_FALSE(ChangeStyle(document, QStringLiteral("Heading"), clash));
    ASSERT_TRUE(ChangeStyle(document, QStringLiteral("Heading"), renamed));
    EXPECT_EQ(Look(texts[0]).Name, QStringLiteral("Title"));

    const TProjectStyle look = Look(texts[0]);
    ASSERT_TRUE(RemoveStyle(document, QStringLiteral("title")));
    EXPECT_EQ(FindProjectStyle(Styles(), QStringLiteral("Title")), nullptr);
    TProjectStyle unlinked = look;
    unlinked.Name.clear();
    EXPECT_EQ(Look(texts[0]), unlinked);
    document.UndoStack().undo();
    EXPECT_EQ(Look(texts[0]), look);
    ASSERT_NE(FindProjectStyle(Styles(), QStringLiteral("Title")), nullptr);
}

TEST_F(StyleCommands, AddingKeepsTheProjectsOwnStyles)
{
    EXPECT_FALSE(AddStyle(document, Style("heading", 10, 0, eaLeft)));
    ASSERT_TRUE(AddMissingStyles(document, {Style("Heading", 10, 0, eaLeft), Style("Role", 20, 0xFF888888u, eaRight)},
                                 QStringLiteral("Import Credits")));
    ASSERT_EQ(Styles().size(), 3u);
    EXPECT_EQ(Styles()[0].FontSize, 40);
    EXPECT_EQ(Styles()[2].Name, QStringLiteral("Role"));
    EXPECT_EQ(UnusedStyleName(Styles(), QStringLiteral("Role")), QStringLiteral("Role 2"));
    EXPECT_EQ(document.UndoStack().undoText(), QStringLiteral("Import Credits"));
}

TEST_F(StyleCommands, NewTextsTakeTheCurrentStyleAndPairsKeepFacingEachOther)
{
    TElementNode *plain = AddElement(document, texts[2], TVmElementText::Kind);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(Look(plain).Name, QString());

    document.SetCurrentStyle(QStringLiteral("Name"));
    TElementNode *styled = AddElement(document, texts[2], TVmElementText::Kind);
    EXPECT_EQ(Look(styled), Styles()[1]);
    TElementNode *added = AddSubtree(document, texts[2], MakeCreditPair(QStringLiteral("Role"), QStringLiteral("Name")),
                                     QStringLiteral("Add Credit Pair"));
    ASSERT_NE(added, nullptr);
    const TProjectStyle role = Look(added->Child(0)->Child(0));
    EXPECT_EQ(role.Name, QStringLiteral("Name"));
    EXPECT_EQ(role.FontSize, 28);
    EXPECT_EQ(role.HAlign, eaRight);
    EXPECT_EQ(Look(added->Child(1)->Child(0)).HAlign, eaLeft);

    // A new project forgets the current style.
    document.NewProject();
    EXPECT_EQ(document.CurrentStyle(), QString());
}

// With no current style, a new text is born readable on its film: the built-in Text look at the
// film's size, in a family the system has, following no style by name.
TEST_F(StyleCommands, NewTextsWithoutAStyleAreReadableAtEveryFilmSize)
{
    auto *project = queryInterface<IProject>(document.Tree().ProjectNode()->Element());
    for (const int height : {720, 1080, 2160}) {
        project->SetWidth(height * 16 / 9);
        project->SetHeight(height);
        TElementNode *text = AddElement(document, texts[2], TVmElementText::Kind);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(Look(text).Name, QString());
        EXPECT_NE(Look(text).FontName, QStringLiteral("Arial"));
        queryInterface<IElementText>(text->Element())->SetText(QStringLiteral("Made By Hand"));
        TPreflightOptions options;
        options.Ignore = PreflightCheckIds();
        options.Ignore.removeAll(QStringLiteral("small-text"));
        for (const TProblem &problem : RunPreflight(document.Tree(), options))
            EXPECT_NE(problem.Node, text) << height << ": " << problem.Message.toStdString();
        document.UndoStack().undo();
    }
}

} // namespace
