// The element tree: ownership, ordering, the project node, focus and node flags.
#include "core/document/ElementTree.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

QString CaptionOf(const TElementNode &node)
{
    QString caption;
    node.Element()->GetCaption(-1, caption);
    return caption;
}

TEST(ElementTree, ProjectNodeIsRootsFirstChild)
{
    TElementTree tree;
    EXPECT_EQ(tree.ProjectNode(), nullptr);
    TElementNode &project = tree.AddChild(tree.Root(), std::make_unique<TVmElementProject>());
    EXPECT_EQ(tree.ProjectNode(), &project);
    EXPECT_EQ(project.Parent(), &tree.Root());
    EXPECT_EQ(project.Height(), 28);
    EXPECT_TRUE(project.Facets().Project);
    EXPECT_TRUE(project.Facets().Container);
    EXPECT_NE(project.Facets().Render, nullptr);
}

TEST(ElementTree, InsertsTakesAndRemovesInOrder)
{
    TElementTree tree;
    TElementNode &project = tree.AddChild(tree.Root(), std::make_unique<TVmElementProject>());
    for (const char *name : {"a", "b", "c"}) {
        tree.AddChild(project, std::make_unique<TVmElementText>());
        auto *text = queryInterface<IElementText>(project.Child(project.ChildCount() - 1)->Element());
        text->SetText(QString::fromLatin1(name));
    }
    std::unique_ptr<TElementNode> b = tree.TakeNode(*project.Child(1));
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_EQ(b->Index(), -1);
    tree.InsertChild(project, 0, std::move(b));
    tree.InsertChild(project, 99, std::make_unique<TElementNode>(std::make_unique<TVmElementColumns>()));
    ASSERT_EQ(project.ChildCount(), 4u);
    EXPECT_EQ(CaptionOf(*project.Child(0)), QStringLiteral("b"));
    EXPECT_EQ(CaptionOf(*project.Child(1)), QStringLiteral("a"));
    EXPECT_EQ(CaptionOf(*project.Child(3)), QStringLiteral("Columns"));
    EXPECT_EQ(project.Child(2)->Index(), 2);
    tree.RemoveNode(*project.Child(1));
    EXPECT_EQ(CaptionOf(*project.Child(1)), QStringLiteral("c"));
    EXPECT_THROW(tree.TakeNode(tree.Root()), std::invalid_argument);
}

TEST(ElementTree, NodeCannotContainItself)
{
    TElementTree tree;
    TElementNode &columns = tree.AddChild(tree.Root(), std::make_unique<TVmElementColumns>());
    TElementNode &column = tree.AddChild(columns, std::make_unique<TVmElementColumn>());
    TElementNode &inner = tree.AddChild(column, std::make_unique<TVmElementColumns>());
    std::unique_ptr<TElementNode> taken = tree.TakeNode(columns);
    EXPECT_THROW(tree.InsertChild(inner, 0, std::move(taken)), std::invalid_argument);
}

// Removing the focused node, or one of its ancestors, leaves nothing focused.
TEST(ElementTree, RemovalDropsFocusInsideSubtree)
{
    TElementTree tree;
    TElementNode &project = tree.AddChild(tree.Root(), std::make_unique<TVmElementProject>());
    TElementNode &set = tree.AddChild(project, std::make_unique<TVmElementColumns>());
    tree.AddChild(set, std::make_unique<TVmElementColumn>());
    TElementNode &other = tree.AddChild(project, std::make_unique<TVmElementText>());
    tree.SetFocusedNode(&other);
    tree.RemoveNode(set);
    EXPECT_EQ(tree.FocusedNode(), &other);
    TElementNode &set2 = tree.AddChild(project, std::make_unique<TVmElementColumns>());
    tree.SetFocusedNode(&tree.AddChild(set2, std::make_unique<TVmElementColumn>()));
    tree.RemoveNode(set2);
    EXPECT_EQ(tree.FocusedNode(), nullptr);
}

TEST(ElementTree, FlagsTrackChildrenExpandedSelected)
{
    TElementTree tree;
    TElementNode &project = tree.AddChild(tree.Root(), std::make_unique<TVmElementProject>());
    EXPECT_EQ(project.Flags(), 0x0081);
    project.SetExpanded(true);
    project.SetSelected(true);
    tree.AddChild(project, std::make_unique<TVmElementText>());
    EXPECT_EQ(project.Flags(), 0x01E1);
    project.SetSelected(false);
    tree.RemoveNode(*project.Child(0));
    EXPECT_EQ(project.Flags(), 0x00A1);
    EXPECT_TRUE(project.IsExpanded());
}

} // namespace
