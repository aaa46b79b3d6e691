// Edit commands on a real document: each kind done, undone and redone against the saved bytes,
// merging of typed edits, the clean state and the removed subtrees.
#include "EditFixture.h"

#include "core/elements/ContentSizes.h"
#include "support/TestImages.h"

#include <QTemporaryDir>
#include <functional>

using namespace velmora;
using namespace velmora::test;

namespace {

QString WritePicture(const QTemporaryDir &dir, const char *name, int width, int height)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    PatternImage(4, 2).scaled(width, height).save(path, "PNG");
    return path;
}

} // namespace

TEST_F(EditFixture, EveryKindUndoesAndRedoesToTheSameBytes)
{
    QTemporaryDir dir;
    const QString picture = WritePicture(dir, "logo.png", 40, 30);
    const QString other = WritePicture(dir, "other.png", 20, 10);
    // A loaded picture and background first, so that undoing a load or a clear brings one back.
    LoadImage(document, *I, picture);
    LoadBackground(document, Project(), picture);
    A->SetSelected(true);
    Columns->SetExpanded(true);
    Column->SetSelected(true);

    IElement *a = A->Element();
    const std::vector<std::pair<const char *, std::function<void()>>> edits = {
        {"text", [&] { ChangeValue(document, a, Fields::Text, QStringLiteral("Directed by")); }},
        {"font", [&] { ChangeValue(document, a, Fields::FontName, QByteArray("Liberation Serif")); }},
        {"font size", [&] { ChangeValue(document, a, Fields::FontSize, 40); }},
        {"colour", [&] { ChangeValue(document, a, Fields::TextColor, TArgb(0x80FF0000)); }},
        {"alignment", [&] { ChangeValue(document, a, Fields::Alignment, TAlignmentPair{eaRight, eaBottom}); }},
        {"top offset", [&] { ChangeValue(document, a, Fields::TopOffset, -12); }},
        {"fixed height", [&] { ChangeValue(document, a, Fields::FixedHeight, 77); }},
        {"use fixed height", [&] { ChangeValue(document, a, Fields::UseFixedHeight, true); }},
        {"specific dims", [&] { ChangeValue(document, I->Element(), Fields::SpecificDims, true); }},
        {"image size", [&] { ChangeValue(document, I->Element(), Fields::ImageSize, QSize(200, 150)); }},
        {"project width", [&] { ChangeValue(document, Project().Element(), Fields::ProjectWidth, 1000); }},
        {"film size",
            [&] {
                const TContentSize &size = ContentSizes.at(3);
                ChangeValue(document, Project().Element(), Fields::FilmSize, TFilmSize{3, size.Width, size.Height});
            }},
        {"back colour", [&] { ChangeValue(document, Project().Element(), Fields::BackColor, TArgb(0xFF102030)); }},
        {"frame rate", [&] { ChangeValue(document, Project().Element(), Fields::FrameRate, 30); }},
        {"scroll rate", [&] { ChangeValue(document, Project().Element(), Fields::ScrollRate, 9); }},
        {"wrap mode", [&] { ChangeValue(document, Project().Element(), Fields::WrapMode, 2); }},
        {"rename", [&] { RenameCaption(document, *Columns, QStringLiteral("Cast")); }},
        {"add element", [&] { AddElement(document, Column, TVmElementText::Kind); }},
        {"paste",
            [&] {
                std::vector<std::unique_ptr<TElementNode>> copies;
                copies.push_back(CopyOf(*Columns));
                copies.push_back(CopyOf(*A));
                InsertCopies(document, std::move(copies), &Project(), TAttachMode::AddChildLast, QStringLiteral("Paste"));
            }},
        {"drop copy after",
            [&] {
                std::vector<std::unique_ptr<TElementNode>> copies;
                copies.push_back(CopyOf(*C));
                copies.push_back(CopyOf(*D));
                InsertCopies(document, std::move(copies), Column, TAttachMode::InsertAfter, QStringLiteral("Copy"));
            }},
        {"remove", [&] { RemoveNodes(document, {B, Column}); }},
        {"move", [&] { MoveNodes(document, {A, B}, *Column, TAttachMode::AddChildLast, false); }},
        {"move below", [&] { MoveNodes(document, {C, D}, *A, TAttachMode::InsertAfter, true); }},
        {"load image", [&] { LoadImage(document, *I, other); }},
        {"load background", [&] { LoadBackground(document, Project(), other); }},
        {"clear background", [&] { ClearBackground(document, Project()); }},
    };
    for (const auto &[name, edit] : edits) {
        SCOPED_TRACE(name);
        const QByteArray before = Bytes();
        const int steps = Stack().index();
        edit();
        ASSERT_EQ(Stack().index(), steps + 1);
        const QByteArray after = Bytes();
        ASSERT_NE(after, before);
        Stack().undo();
        EXPECT_EQ(Bytes(), before);
        Stack().redo();
        EXPECT_EQ(Bytes(), after);
        Stack().undo();
        EXPECT_EQ(Bytes(), before);
    }
}

TEST_F(EditFixture, TypedEditsOfOneFieldMergeIntoOneStep)
{
    IElement *a = A->Element();
    auto *font = queryInterface<IGDIPFont>(a);
    const qint32 original = font->GetFontSize();
    for (qint32 size : {1, 14, 140})
        ChangeValue(document, a, Fields::FontSize, size);
    EXPECT_EQ(Stack().count(), 1);
    EXPECT_EQ(Stack().undoText(), QStringLiteral("Change Font Size"));
    EXPECT_EQ(font->GetFontSize(), 140);
    Stack().undo();
    EXPECT_EQ(font->GetFontSize(), original);

    // Another field, another element or a new epoch start a new step.
    Stack().redo();
    ChangeValue(document, a, Fields::TopOffset, 5);
    ChangeValue(document, B->Element(), Fields::TopOffset, 5);
    document.BreakMerge();
    ChangeValue(document, B->Element(), Fields::TopOffset, 6);
    EXPECT_EQ(Stack().count(), 4);

    // After an undo, typing again in the field below is a new step.
    ChangeValue(document, a, Fields::FontSize, 20);
    ChangeValue(document, a, Fields::TopOffset, 7);
    Stack().undo();
    ChangeValue(document, a, Fields::FontSize, 21);
    EXPECT_EQ(Stack().count(), 6);
    Stack().undo();
    EXPECT_EQ(font->GetFontSize(), 20);

    // A field that never merges, and a value set again, which takes no step.
    ChangeValue(document, a, Fields::Alignment, TAlignmentPair{eaRight, eaTop});
    ChangeValue(document, a, Fields::Alignment, TAlignmentPair{eaCenter, eaTop});
    EXPECT_FALSE(ChangeValue(document, a, Fields::Alignment, TAlignmentPair{eaCenter, eaTop}));
    EXPECT_EQ(Stack().count(), 7);
}

TEST_F(EditFixture, TypingBackToTheStartLeavesNoStep)
{
    IElement *a = A->Element();
    ChangeValue(document, a, Fields::Text, QStringLiteral("AB"));
    ChangeValue(document, a, Fields::Text, QStringLiteral("A"));
    EXPECT_EQ(Stack().count(), 0);
    EXPECT_FALSE(document.Modified());
}

TEST_F(EditFixture, LiveValueLeavesOneStepOrNone)
{
    IElement *a = A->Element();
    auto *font = queryInterface<IGDIPFont>(a);
    const TArgb original = font->GetColor();
    {
        TLiveValue live(document, a, Fields::TextColor);
        live.Show(0xFF00FF00);
        EXPECT_EQ(font->GetColor(), 0xFF00FF00u);
        live.Show(0xFF0000FF);
        live.Cancel();
    }
    EXPECT_EQ(font->GetColor(), original);
    EXPECT_EQ(Stack().count(), 0);
    {
        TLiveValue live(document, a, Fields::TextColor);
        live.Show(0xFF00FF00);
        live.Show(0xFF0000FF);
        EXPECT_TRUE(live.Commit());
    }
    EXPECT_EQ(Stack().count(), 1);
    Stack().undo();
    EXPECT_EQ(font->GetColor(), original);
    Stack().redo();
    EXPECT_EQ(font->GetColor(), 0xFF0000FFu);
}

TEST_F(EditFixture, ModifiedFollowsTheCleanState)
{
    QStringList titles;
    document.OnTitleChanged = [&](const QString &title) { titles << title; };
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("roll.vmz"));
    document.SaveProjectAs(file);
    EXPECT_FALSE(document.Modified());

    ChangeValue(document, A->Element(), Fields::FontSize, 30);
    EXPECT_TRUE(document.Modified());
    EXPECT_EQ(document.Title(), QStringLiteral("Velmora - [*%1]").arg(file));
    Stack().undo();
    EXPECT_FALSE(document.Modified());
    EXPECT_EQ(document.Title(), QStringLiteral("Velmora - [%1]").arg(file));
    Stack().redo();
    EXPECT_TRUE(document.Modified());

    // Saving marks the stack clean; undoing past the save is a change again.
    document.SaveProjectAs(file);
    EXPECT_FALSE(document.Modified());
    Stack().undo();
    EXPECT_TRUE(document.Modified());
    EXPECT_EQ(titles.last(), QStringLiteral("Velmora - [*%1]").arg(file));

    // A change with no step of its own holds until the next save.
    Stack().redo();
    EXPECT_FALSE(document.Modified());
    document.MarkModified();
    EXPECT_TRUE(document.Modified());
    document.SaveProjectAs(file);
    EXPECT_FALSE(document.Modified());

    // New and Open start with an empty stack.
    ChangeValue(document, A->Element(), Fields::FontSize, 31);
    document.OpenProject(file);
    EXPECT_EQ(Stack().count(), 0);
    EXPECT_FALSE(document.Modified());
}

TEST_F(EditFixture, RemovedSubtreesComeBackWhole)
{
    Columns->SetExpanded(true);
    Column->SetExpanded(true);
    Columns->SetSelected(true);
    D->SetSelected(true);
    B->SetSelected(true);
    TElementNode *focused = C;
    document.Tree().SetFocusedNode(focused);
    const QString structure = Structure(Project());
    IElement *d = D->Element();

    std::vector<TElementNode *> removedInsideOrder;
    QObject::connect(&document, &TDocument::NodeAboutToBeRemoved, [&](TElementNode *node) { removedInsideOrder.push_back(node); });
    // The project node offered with the others stays.
    EXPECT_EQ(RemoveNodes(document, {&Project()}), 0);
    EXPECT_EQ(RemoveNodes(document, {B, Columns}), 2);
    EXPECT_EQ(Structure(Project()), QStringLiteral("Velmora Project(A,I)"));
    EXPECT_EQ(document.Tree().FocusedNode(), nullptr);
    EXPECT_EQ((std::vector<TElementNode *>{Columns, B}), removedInsideOrder);
    // The views clear the selection of rows that leave; undo puts the state back.
    ForEachNode(*Columns, [](TElementNode &node) { node.SetSelected(false); });

    Stack().undo();
    EXPECT_EQ(Structure(Project()), structure);
    EXPECT_EQ(Columns->Parent(), &Project());
    EXPECT_EQ(Project().Child(3), Columns);
    EXPECT_EQ(Column->Child(1), D);
    EXPECT_EQ(D->Element(), d);
    EXPECT_TRUE(Columns->IsExpanded() && Column->IsExpanded());
    EXPECT_TRUE(Columns->IsSelected() && D->IsSelected() && B->IsSelected());
    EXPECT_FALSE(C->IsSelected());
}

TEST_F(EditFixture, ReplacedElementComesBackAsTheSameObject)
{
    QTemporaryDir dir;
    const QString picture = WritePicture(dir, "logo.png", 40, 30);
    IElement *before = I->Element();
    std::vector<IElement *> replaced;
    QObject::connect(&document, &TDocument::ElementReplaced, [&](TElementNode *, IElement *old) { replaced.push_back(old); });
    LoadImage(document, *I, picture);
    IElement *after = I->Element();
    ASSERT_NE(after, before);
    EXPECT_EQ(queryInterface<IElementImage>(after)->GetImage()->size(), QSize(40, 30));
    EXPECT_EQ(Stack().undoText(), QStringLiteral("Load Image"));
    Stack().undo();
    EXPECT_EQ(I->Element(), before);
    EXPECT_EQ(queryInterface<IElementImage>(before)->GetImage(), nullptr);
    Stack().redo();
    EXPECT_EQ(I->Element(), after);
    EXPECT_EQ((std::vector<IElement *>{before, after, before}), replaced);
}
