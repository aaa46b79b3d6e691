// The tree section: exact layout, older versions, tolerated oddities and clipboard chunks.
#include "core/document/Document.h"
#include "core/document/TreeSection.h"
#include "core/document/WriteBackDevice.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementImage.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"
#include "support/DocumentBytes.h"
#include "support/RecordBytes.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test::bytes;

namespace {

QString CaptionOf(const TElementNode &node)
{
    QString caption;
    node.Element()->GetCaption(-1, caption);
    return caption;
}

QByteArray ProjectNodeBytes(const QByteArray &children = {}, const Body &body = {})
{
    return Node(Structure(body, children) + ElementData("TVmElementProject", DefaultProjectRecord())
        + Caption(QStringLiteral("Velmora Project")));
}

TEST(TreeSection, FreshProjectBytes)
{
    TDocument document;
    const QByteArray saved = test::SaveToBytes(document);
    const QByteArray r = DefaultProjectRecord();
    const QByteArray expected = Cat({QByteArray("VELMORA01"), QByteArray::fromHex("452056005400020020004620"),
        Le(quint32(1)), Le(qint32(1)), Le(qint32(25 + 8 + 23 + r.size() + 8 + 30)), Le(qint32(2)), Le(qint32(17)),
        QByteArray::fromHex("000000001C0000008100320000000000 00"), Le(qint32(4)), Le(qint32(23 + r.size())),
        QByteArray::fromHex("030111000000"), QByteArray("TVmElementProject"), r, Le(qint32(3)), Le(qint32(30)),
        Utf16(QStringLiteral("Velmora Project"))});
    EXPECT_EQ(saved.size(), 9 + 12 + 4 + 8 + 25 + 8 + 23 + r.size() + 8 + 30);
    EXPECT_EQ(saved.toHex(' '), expected.toHex(' '));
    EXPECT_EQ(saved, ProjectFile(Section(1, ProjectNodeBytes())));

    TDocument reopened;
    reopened.MarkModified();
    test::LoadFromBytes(reopened, saved);
    EXPECT_EQ(test::SaveToBytes(reopened), saved);
    EXPECT_EQ(reopened.Tree().Root().ChildCount(), 1u);
    EXPECT_EQ(reopened.ProjectNode()->StoredFlags(), 0x0081);
}

TEST(TreeSection, ChildrenLiveInsideTheStructureChunk)
{
    TDocument document;
    TElementTree &tree = document.Tree();
    TElementNode &project = *document.ProjectNode();
    TElementNode &columns = tree.AddChild(project, std::make_unique<TVmElementColumns>());
    tree.AddChild(columns, std::make_unique<TVmElementColumn>()).SetSelected(true);
    tree.AddChild(project, std::make_unique<TVmElementColumns>()).Element()->SetCaption(-1, QString());
    project.SetExpanded(true);
    project.SetSelected(true);

    const QByteArray column = CaptionedNode("TVmElementColumn", QStringLiteral("Column"), Body{0, 28, 0x0181});
    const QByteArray first = Node(Structure(Body{1, 28, 0x00C1}, column)
        + ElementData("TVmElementColumns", WideString(QStringLiteral("Columns"))) + Caption(QStringLiteral("Columns")));
    // An empty caption writes no caption chunk.
    const QByteArray second = Node(Structure(Body{}) + ElementData("TVmElementColumns", WideString(QString())));
    const QByteArray expected = ProjectFile(Section(1, ProjectNodeBytes(first + second, Body{2, 28, 0x01E1})));
    EXPECT_EQ(test::SaveToBytes(document).toHex(' '), expected.toHex(' '));
}

// Every field the tree keeps per node, and each element's caption, survive a reload.
TEST(TreeSection, NodeFieldsSurviveReload)
{
    TDocument document;
    TElementTree &tree = document.Tree();
    TElementNode &project = *document.ProjectNode();
    project.Element()->SetCaption(-1, QStringLiteral("Credits"));
    TElementNode &text = tree.AddChild(project, std::make_unique<TVmElementText>());
    queryInterface<IElementText>(text.Element())->SetText(QStringLiteral("Line one\r\nLine two"));
    TElementNode &image = tree.AddChild(project, std::make_unique<TVmElementImage>());
    image.Element()->SetCaption(-1, QStringLiteral("Logo \u00e9"));
    image.SetHeight(40);
    image.SetAlignment(7);
    image.SetCheckState(1);
    image.SetCheckType(2);
    auto *margins = queryInterface<IElementMargins>(image.Element());
    margins->SetTopOffset(6);
    margins->SetUseFixedHeight(true);
    margins->SetFixedHeight(70);
    project.SetExpanded(true);
    text.SetSelected(true);

    TDocument reopened;
    test::LoadFromBytes(reopened, test::SaveToBytes(document));
    TElementNode &p = *reopened.ProjectNode();
    ASSERT_EQ(p.ChildCount(), 2u);
    EXPECT_EQ(CaptionOf(p), QStringLiteral("Credits"));
    EXPECT_EQ(CaptionOf(*p.Child(0)), QStringLiteral("Line one..."));
    EXPECT_EQ(CaptionOf(*p.Child(1)), QStringLiteral("Logo \u00e9"));
    EXPECT_EQ(p.StoredFlags(), 0x00E1);
    EXPECT_TRUE(p.Child(0)->IsSelected());
    EXPECT_EQ(p.Child(1)->Height(), 40);
    EXPECT_EQ(p.Child(1)->Alignment(), 7);
    EXPECT_EQ(p.Child(1)->CheckState(), 1);
    EXPECT_EQ(p.Child(1)->CheckType(), 2);
    // The image's placement comes back although its record says version 1.
    const auto *loaded = queryInterface<IElementMargins>(p.Child(1)->Element());
    EXPECT_EQ(loaded->GetTopOffset(), 6);
    EXPECT_TRUE(loaded->GetUseFixedHeight());
    EXPECT_EQ(loaded->GetFixedHeight(), 70);
    EXPECT_EQ(reopened.Tree().FocusedNode(), nullptr);
    EXPECT_EQ(test::SaveToBytes(reopened), test::SaveToBytes(document));
}

TEST(TreeSection, StoredWordIsKeptAsRead)
{
    // Bits the writer never sets, and a height that needs the low 16 bits only.
    const QByteArray file = ProjectFile(Section(1, ProjectNodeBytes({}, Body{0, 0x10020, 0xFFFF, 9, 1, 1})));
    TDocument document;
    test::LoadFromBytes(document, file);
    EXPECT_EQ(document.ProjectNode()->StoredFlags(), 0xFFFF);
    EXPECT_EQ(document.ProjectNode()->Height(), 0x20);
    EXPECT_EQ(document.ProjectNode()->Alignment(), 9);
}

TEST(TreeSection, VersionOneSections)
{
    // Twelve-byte bodies with one state byte; no node count, nodes run to the end.
    const auto v1Node = [](quint8 state, const QByteArray &kind, const QByteArray &record, const QByteArray &children,
                            quint32 childCount) {
        const QByteArray body = Cat({Le(childCount), Le(quint32(30)), Le(state), Le(quint8(50)), Le(quint8(0)), Le(quint8(0))});
        return Node(Chunk(2, body + children) + ElementData(kind, record));
    };
    const QByteArray column = v1Node(0x21, "TVmElementColumn", WideString(QStringLiteral("c")), {}, 0);
    const QByteArray project = v1Node(0x81, "TVmElementProject", DefaultProjectRecord(), column, 1);
    const QByteArray file = ProjectFile(Header(1) + project + v1Node(0x01, "TVmElementText", Version(0), {}, 0));
    TDocument document;
    test::LoadFromBytes(document, file);
    ASSERT_EQ(document.Tree().Root().ChildCount(), 2u);
    EXPECT_EQ(document.ProjectNode()->StoredFlags(), 0x0181);
    EXPECT_EQ(document.ProjectNode()->Height(), 30);
    EXPECT_EQ(document.ProjectNode()->Child(0)->StoredFlags(), 0x00A1);
    EXPECT_EQ(CaptionOf(*document.ProjectNode()->Child(0)), QStringLiteral("c"));
}

// Oddities a reader meets in files from elsewhere, each of which still loads.
TEST(TreeSection, ToleratedOddities)
{
    const QByteArray caption = Caption(QStringLiteral("Velmora Project"));
    const QByteArray structure = Structure(Body{});
    const QByteArray element = ElementData("TVmElementProject", DefaultProjectRecord());
    const struct
    {
        const char *Name;
        QByteArray Section;
    } rows[] = {
        {"fifth header unit not a space", Header(2, 0x41) + Le(quint32(1)) + ProjectNodeBytes()},
        {"unknown chunk skipped", Section(1, Node(structure + Chunk(9, "skip me") + element + caption))},
        {"element reads less than its chunk",
            Section(1, Node(structure + Chunk(4, String("TVmElementProject") + DefaultProjectRecord() + "tail") + caption))},
        {"empty element chunk ignored", Section(1, Node(structure + Chunk(4, {}) + element + caption))},
        {"count beyond the nodes present", Section(5, ProjectNodeBytes())},
        {"odd caption size", Section(1, Node(structure + element + Chunk(3, Utf16(QStringLiteral("Velmora Project")) + "x")))},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Name);
        TDocument document;
        test::LoadFromBytes(document, ProjectFile(row.Section));
        EXPECT_EQ(CaptionOf(*document.ProjectNode()), QStringLiteral("Velmora Project"));
    }
}

// The caption chunk wins over the caption in the record.
TEST(TreeSection, CaptionChunkRenamesTheElement)
{
    QByteArray chunk = Node(Structure(Body{}) + ElementData("TVmElementColumn", WideString(QStringLiteral("old")))
        + Caption(QStringLiteral("new")));
    QBuffer buffer(&chunk);
    buffer.open(QIODevice::ReadOnly);
    std::unique_ptr<TElementNode> node = ReadNodeChunk(buffer);
    EXPECT_EQ(CaptionOf(*node), QStringLiteral("new"));
    EXPECT_EQ(node->Parent(), nullptr);
}

TEST(TreeSection, SavesOneNodeOrAllTopLevelNodes)
{
    TElementTree tree;
    TElementNode &a = tree.AddChild(tree.Root(), std::make_unique<TVmElementColumns>());
    tree.AddChild(tree.Root(), std::make_unique<TVmElementColumn>());
    const auto save = [&](const TElementNode *node) {
        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        SaveTreeSection(buffer, tree, node);
        return data;
    };
    const QByteArray columns = CaptionedNode("TVmElementColumns", QStringLiteral("Columns"));
    const QByteArray column = CaptionedNode("TVmElementColumn", QStringLiteral("Column"));
    EXPECT_EQ(save(&a), Section(1, columns));
    EXPECT_EQ(save(nullptr), Section(2, columns + column));
    tree.Clear();
    EXPECT_EQ(save(nullptr), Section(0, {}));

    QByteArray two = Section(2, columns + column);
    QBuffer buffer(&two);
    buffer.open(QIODevice::ReadOnly);
    LoadTreeSection(buffer, tree);
    ASSERT_EQ(tree.Root().ChildCount(), 2u);
    EXPECT_EQ(CaptionOf(*tree.Root().Child(1)), QStringLiteral("Column"));
}

TEST(TreeSection, ClipboardChunksLoadUnderAParent)
{
    TDocument source;
    TElementNode &project = *source.ProjectNode();
    TElementNode &set = source.Tree().AddChild(project, std::make_unique<TVmElementColumns>());
    source.Tree().AddChild(set, std::make_unique<TVmElementColumn>());
    TElementNode &text = source.Tree().AddChild(project, std::make_unique<TVmElementText>());

    QByteArray payload;
    {
        QBuffer buffer(&payload);
        buffer.open(QIODevice::WriteOnly);
        WriteNodeChunks(buffer, {&set, &text});
    }
    TDocument target;
    TElementNode &parent = *target.ProjectNode();
    {
        QBuffer buffer(&payload);
        buffer.open(QIODevice::ReadOnly);
        const std::vector<TElementNode *> added = LoadNodeChunks(buffer, target.Tree(), parent);
        ASSERT_EQ(added.size(), 2u);
        EXPECT_EQ(added[0]->Parent(), &parent);
        EXPECT_EQ(added[0]->ChildCount(), 1u);
        EXPECT_EQ(CaptionOf(*added[1]), QStringLiteral("Text Element"));
    }
    // A damaged chunk anywhere leaves the parent as it was.
    QByteArray damaged = payload + Le(qint32(1)) + Le(qint32(100));
    QBuffer buffer(&damaged);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_THROW(LoadNodeChunks(buffer, target.Tree(), parent), ETreeSectionError);
    EXPECT_EQ(parent.ChildCount(), 2u);
}

} // namespace

namespace {

// Sizes patched after their bytes were handed on, in the middle of a hand-over or while still
// held all come out as a direct write gives them, whatever the piece size.
TEST(TreeSection, WriteBackGivesTheBytesOfADirectWrite)
{
    TDocument document;
    TElementTree &tree = document.Tree();
    for (int i = 0; i < 12; ++i) {
        auto text = std::make_unique<TVmElementText>();
        text->SetText(QStringLiteral("Name %1").arg(i));
        TElementNode &node = tree.InsertChild(*document.ProjectNode(), tree.ProjectNode()->ChildCount(),
                                              std::make_unique<TElementNode>(std::move(text)));
        if (i % 4 == 0)
            tree.AddChild(node, std::make_unique<TVmElementColumns>());
    }
    QBuffer direct;
    direct.open(QIODevice::WriteOnly);
    direct.write("lead");
    WriteNodeChunk(direct, *document.ProjectNode());
    for (const qint64 hold : {1, 7, 64, 1000, 1 << 20}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        buffer.write("lead");
        {
            TWriteBackDevice stream(buffer, hold);
            WriteNodeChunk(stream, *document.ProjectNode());
            ASSERT_TRUE(stream.Finish());
        }
        EXPECT_EQ(buffer.data(), direct.data()) << "holding " << hold;
        EXPECT_EQ(buffer.pos(), direct.pos()) << "holding " << hold;
    }
}

} // namespace
