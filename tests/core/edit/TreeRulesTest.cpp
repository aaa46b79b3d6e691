// The tree editing rules on a real document: drop table, move order, copy placement, paste targets.
#include "EditFixture.h"

#include <QHash>
#include <QImage>
#include <QTemporaryDir>

using namespace velmora;
using namespace velmora::test;

namespace {

constexpr char SampleText[] = "Velmora Project(A,B,I,Columns(Column(C,D)))";
const QString Sample = QString::fromLatin1(SampleText);

struct Named : EditFixture
{
    TElementNode *By(const QString &name)
    {
        const QHash<QString, TElementNode *> nodes{{"P", &Project()}, {"A", A}, {"B", B}, {"I", I},
            {"Columns", Columns}, {"Column", Column}, {"C", C}, {"D", D}};
        return nodes.value(name);
    }
    std::vector<TElementNode *> List(const QStringList &names)
    {
        std::vector<TElementNode *> nodes;
        for (const QString &name : names)
            nodes.push_back(By(name));
        return nodes;
    }
};

} // namespace

TEST_F(Named, CanDropAtFollowsTheDraggedElement)
{
    struct Row
    {
        const char *dragged, *target;
        TDropMode mode;
        bool allowed;
    } rows[] = {
        {"A", "B", dmOnto, false},
        {"A", "B", dmAbove, true},
        {"A", "B", dmBelow, true},
        {"A", "Column", dmOnto, true},
        {"A", "P", dmOnto, true},
        {"A", "Columns", dmOnto, false},
        {"Columns", "I", dmAbove, false},
        {"Columns", "A", dmAbove, true},
        {"Column", "Columns", dmOnto, true},
        {"Column", "P", dmOnto, false},
        {"I", "Column", dmOnto, true},
        {"A", "B", dmNowhere, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.dragged) + " -> " + row.target + " " + std::to_string(row.mode));
        EXPECT_EQ(CanDropAt(By(row.dragged), By(row.target), row.mode), row.allowed);
    }
    EXPECT_FALSE(CanDropAt(nullptr, A, dmAbove));
    EXPECT_FALSE(CanDropAt(A, nullptr, dmAbove));
    // Nothing rests in the invisible root.
    EXPECT_FALSE(CanPlaceOnto(A, &document.Tree().Root()));
}

TEST_F(Named, AcceptsChildFollowsTheKinds)
{
    EXPECT_TRUE(AcceptsChild(&Project(), TVmElementText::Kind));
    EXPECT_TRUE(AcceptsChild(Column, TVmElementImage::Kind));
    EXPECT_FALSE(AcceptsChild(Columns, TVmElementText::Kind));
    EXPECT_TRUE(AcceptsChild(Columns, TVmElementColumn::Kind));
    EXPECT_FALSE(AcceptsChild(A, TVmElementText::Kind));
    EXPECT_FALSE(AcceptsChild(nullptr, TVmElementText::Kind));
    // A text holds nothing: a column fits neither in it nor beside it, a text goes after it.
    EXPECT_EQ(AddElement(document, A, TVmElementColumn::Kind), nullptr);
    EXPECT_EQ(Stack().count(), 0);
    const TElementNode *added = AddElement(document, A, TVmElementText::Kind);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Parent(), A->Parent());
    EXPECT_EQ(added->Index(), A->Index() + 1);
}

TEST_F(Named, MovesKeepTheOrderOfTheMovedNodes)
{
    struct Row
    {
        QStringList moved;
        const char *target;
        TDropMode mode;
        bool dragging;
        const char *after;
    } rows[] = {
        {{"A", "B"}, "D", dmAbove, true, "Velmora Project(I,Columns(Column(C,A,B,D)))"},
        {{"A", "B"}, "D", dmBelow, true, "Velmora Project(I,Columns(Column(C,D,A,B)))"},
        {{"A", "B"}, "Column", dmOnto, false, "Velmora Project(I,Columns(Column(C,D,A,B)))"},
        {{"A", "B"}, "I", dmBelow, true, "Velmora Project(I,A,B,Columns(Column(C,D)))"},
        // The dragged nodes come in tree order, whichever of them was focused.
        {{"A", "B", "C"}, "I", dmBelow, true, "Velmora Project(I,A,B,C,Columns(Column(D)))"},
        {{"Columns", "A"}, "A", dmAbove, true, "Velmora Project(Columns(Column(C,D)),A,B,I)"},
        // A node is never moved into itself.
        {{"Columns"}, "C", dmAbove, true, SampleText},
        // Outside a drag, each node must rest in the target: a text onto a text is refused.
        {{"C", "D"}, "A", dmOnto, false, SampleText},
        {{"A", "Column"}, "Column", dmOnto, false, "Velmora Project(B,I,Columns(Column(C,D,A)))"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.moved.join(QLatin1Char(',')).toStdString() + " -> " + row.target);
        const QByteArray before = Bytes();
        const int moved = MoveNodes(document, List(row.moved), *By(row.target), AttachModeFor(row.mode), row.dragging);
        EXPECT_EQ(Structure(Project()), QString::fromLatin1(row.after));
        EXPECT_EQ(Stack().count(), moved > 0 ? 1 : 0);
        if (moved > 0) {
            EXPECT_EQ(Stack().undoText(), QStringLiteral("Move Elements"));
            Stack().undo();
        }
        EXPECT_EQ(Bytes(), before);
        Stack().clear();
    }
}

TEST_F(Named, CopiesLandInOrderAndOnlyWhereTheyFit)
{
    struct Row
    {
        QStringList copied;
        const char *target;
        TAttachMode attach;
        const char *after;
    } rows[] = {
        {{"C", "D"}, "Column", TAttachMode::AddChildLast, "Velmora Project(A,B,I,Columns(Column(C,D,C,D)))"},
        {{"C", "D"}, "C", TAttachMode::InsertAfter, "Velmora Project(A,B,I,Columns(Column(C,D)))"},
        {{"A", "B"}, "P", TAttachMode::AddChildFirst, "Velmora Project(A,B,A,B,I,Columns(Column(C,D)))"},
        // Copies must fit onto the target, whatever the drop mode: a text above a text goes again.
        {{"A"}, "B", TAttachMode::InsertBefore, SampleText},
        // A paste onto a text, or with no focused node, places nothing.
        {{"A"}, "B", TAttachMode::AddChildLast, SampleText},
        {{"A"}, nullptr, TAttachMode::AddChildLast, SampleText},
        {{"Column"}, "Columns", TAttachMode::AddChildLast, "Velmora Project(A,B,I,Columns(Column(C,D),Column(C,D)))"},
        {{"Column", "A"}, "P", TAttachMode::AddChildLast, "Velmora Project(A,B,I,Columns(Column(C,D)),A)"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.copied.join(QLatin1Char(',')).toStdString());
        std::vector<std::unique_ptr<TElementNode>> copies;
        for (TElementNode *node : List(row.copied))
            copies.push_back(CopyOf(*node));
        TElementNode *target = row.target ? By(QString::fromLatin1(row.target)) : nullptr;
        const auto inserted = InsertCopies(document, std::move(copies), target, row.attach, QStringLiteral("Paste"));
        EXPECT_EQ(Structure(Project()), QString::fromLatin1(row.after));
        if (!inserted.empty())
            Stack().undo();
        EXPECT_EQ(Structure(Project()), Sample);
    }
}

TEST_F(Named, SelectedTopNodesLeaveOutSelectedDescendants)
{
    for (const char *name : {"B", "Columns", "C"})
        By(QString::fromLatin1(name))->SetSelected(true);
    EXPECT_EQ(SelectedTopNodes(document.Tree().Root()), List({"B", "Columns"}));
    EXPECT_EQ(NodeOfElement(document.Tree().Root(), D->Element()), D);
    EXPECT_EQ(NodeOfElement(document.Tree().Root(), nullptr), nullptr);
}

TEST(TreeRules, DropEffectFromKeysAndSource)
{
    const Qt::DropActions all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    struct Row
    {
        TDragSource source;
        Qt::KeyboardModifiers keys;
        Qt::DropActions offered;
        Qt::DropAction effect;
    } rows[] = {
        {TDragSource::ThisTree, Qt::NoModifier, all, Qt::MoveAction},
        {TDragSource::OtherTree, Qt::NoModifier, all, Qt::CopyAction},
        {TDragSource::ThisTree, Qt::ControlModifier, all, Qt::CopyAction},
        {TDragSource::ThisTree, Qt::AltModifier, all, Qt::LinkAction},
        {TDragSource::ThisTree, Qt::ControlModifier | Qt::AltModifier, all, Qt::LinkAction},
        {TDragSource::ThisTree, Qt::ShiftModifier, all, Qt::MoveAction},
        {TDragSource::Elsewhere, Qt::NoModifier, all, Qt::CopyAction},
        {TDragSource::Elsewhere, Qt::ControlModifier, Qt::MoveAction, Qt::MoveAction},
    };
    for (const Row &row : rows)
        EXPECT_EQ(DropEffect(row.source, row.keys, row.offered), row.effect);
    EXPECT_EQ(AttachModeFor(dmNowhere), TAttachMode::None);
    EXPECT_EQ(AttachModeFor(dmOnto), TAttachMode::AddChildLast);
}

TEST_F(Named, DroppedPictureFilesBecomeImagesWhereAnImageMayGo)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.png"));
    const QString second = dir.filePath(QStringLiteral("second.png"));
    QImage(8, 4, QImage::Format_ARGB32).save(first);
    QImage(6, 3, QImage::Format_ARGB32).save(second);
    struct Row
    {
        const char *target;
        TDropMode mode;
        const char *after;
    } rows[] = {
        {"P", dmOnto, "Velmora Project(A,B,I,Columns(Column(C,D)),first.png,second.png)"},
        {"D", dmAbove, "Velmora Project(A,B,I,Columns(Column(C,first.png,second.png,D)))"},
        {"A", dmBelow, "Velmora Project(A,first.png,second.png,B,I,Columns(Column(C,D)))"},
        {"Column", dmOnto, "Velmora Project(A,B,I,Columns(Column(C,D,first.png,second.png)))"},
        {"A", dmOnto, SampleText},
        {"Columns", dmOnto, SampleText},
        {"P", dmNowhere, SampleText},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.target) + " " + std::to_string(row.mode));
        const auto dropped = DropImageFiles(document, {first, second}, By(QString::fromLatin1(row.target)), row.mode);
        EXPECT_EQ(Structure(Project()), QString::fromLatin1(row.after));
        if (dropped.empty())
            continue;
        EXPECT_EQ(queryInterface<IElementImage>(dropped[1]->Element())->GetImage()->size(), QSize(6, 3));
        EXPECT_EQ(Stack().undoText(), QStringLiteral("Drop Images"));
        Stack().undo();
        EXPECT_EQ(Structure(Project()), Sample);
    }
}
