// Project styles in the project file: a project without them keeps its bytes, a styled one
// round-trips, and what an older reader reads of a styled record is what it always read.
#include "core/document/Document.h"
#include "core/edit/EditCommands.h"
#include "core/edit/StyleCommands.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"
#include "core/edit/StyleLooks.h"
#include "core/typedfiler/TypedFilerError.h"

#include "support/DocumentBytes.h"

#include <QBuffer>
#include "core/edit/StyleTestSupport.h"

#include <QUndoStack>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

QByteArray Record(const IElement &element)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    element.SaveToStream(buffer);
    return data;
}

void LoadRecord(IElement &element, QByteArray data)
{
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    element.LoadFromStream(buffer);
}

TProjectStyle Style(const char *name, int size, TArgb color, TElementHAlignment align)
{
    return test::MakeStyle(name, size, color, align, "Liberation Serif");
}

// A project of three texts, the last one in a pair of columns.
struct StyleFile : ::testing::Test
{
    TDocument document;
    std::vector<TElementNode *> texts;

    StyleFile()
    {
        TElementTree &tree = document.Tree();
        for (const char *text : {"Cast", "Jane Roe", "Music"}) {
            TElementNode &node = tree.AddChild(*document.ProjectNode(), std::make_unique<TVmElementText>());
            queryInterface<IElementText>(node.Element())->SetText(QString::fromLatin1(text));
            texts.push_back(&node);
        }
    }
    TProjectStyle LookAt(int i) { return LookOf(*texts[i]->Element()); }
};

TEST_F(StyleFile, ProjectWithoutStylesKeepsItsBytesThroughAStyleAndBack)
{
    const QByteArray plain = SaveToBytes(document);
    ASSERT_TRUE(AddStyle(document, Style("Heading", 40, 0xFFFFCC00u, eaCenter)));
    ASSERT_TRUE(ApplyStyle(document, {texts[0]}, QStringLiteral("Heading")));
    EXPECT_NE(SaveToBytes(document), plain);
    document.UndoStack().undo();
    document.UndoStack().undo();
    EXPECT_EQ(SaveToBytes(document), plain);

    // Read back and written again: not one byte more.
    TDocument reread;
    LoadFromBytes(reread, plain);
    EXPECT_TRUE(ProjectStylesOf(reread.Tree()).empty());
    EXPECT_EQ(SaveToBytes(reread), plain);
}

TEST_F(StyleFile, StylesAndTheirTextsRoundTrip)
{
    TProjectStyle heading = Style("Heading", 40, 0xFFFFCC00u, eaCenter);
    heading.Leading = 1.25;
    heading.Tracking = 3;
    ASSERT_TRUE(AddStyle(document, heading));
    ASSERT_TRUE(AddStyle(document, Style("Name", 28, 0xFFEEEEEEu, eaLeft)));
    ASSERT_TRUE(ApplyStyle(document, {texts[0]}, QStringLiteral("heading")));
    const QByteArray saved = SaveToBytes(document);

    TDocument reread;
    LoadFromBytes(reread, saved);
    EXPECT_EQ(ProjectStylesOf(reread.Tree()), ProjectStylesOf(document.Tree()));
    const TElementNode &project = *reread.ProjectNode();
    EXPECT_EQ(LookOf(*project.Child(0)->Element()), LookOf(*texts[0]->Element()));
    EXPECT_EQ(LookOf(*project.Child(0)->Element()).Name, QStringLiteral("Heading"));
    EXPECT_EQ(LookOf(*project.Child(1)->Element()), LookAt(1));
    EXPECT_EQ(SaveToBytes(reread), saved);
}

// An older Velmora reads the fields it knows and skips the rest of the element's chunk: what
// it reads must be what the record held before styles, byte for byte.
TEST_F(StyleFile, StyledRecordsBeginWithTheRecordsAnOlderReaderKnows)
{
    auto &project = *static_cast<TVmElementProject *>(document.ProjectNode()->Element());
    auto &text = *static_cast<TVmElementText *>(texts[0]->Element());
    const QByteArray plainProject = Record(project);

    AddStyle(document, Style("Heading", 40, 0xFFFFCC00u, eaCenter));
    ApplyStyle(document, {texts[0]}, QStringLiteral("Heading"));
    const QByteArray styledProject = Record(project);
    const QByteArray styledText = Record(text);
    // The applied look changed the text's own fields; the record before them stays in shape.
    EXPECT_TRUE(styledProject.startsWith(plainProject));
    EXPECT_GT(styledProject.size(), plainProject.size());
    TVmElementText unstyled;
    ApplyLook(unstyled, LookOf(text));
    unstyled.SetStyleName(QString());
    unstyled.SetText(QStringLiteral("Cast"));
    EXPECT_TRUE(styledText.startsWith(Record(unstyled)));
    EXPECT_GT(styledText.size(), Record(unstyled).size());

    // The whole file loads section by section: the tree still parses around the longer records.
    TDocument reread;
    LoadFromBytes(reread, SaveToBytes(document));
    EXPECT_EQ(reread.ProjectNode()->ChildCount(), 3u);
}

TEST_F(StyleFile, DamagedStyleSectionsFailOrAreBounded)
{
    auto &project = *static_cast<TVmElementProject *>(document.ProjectNode()->Element());
    TProjectStyle wild = Style("Wild", 99999, 0xFF000000u, eaRight);
    wild.Leading = 40.0;
    wild.Tracking = -5000;
    project.SetStyles({wild, Style("wild", 10, 0, eaLeft), Style(" ", 10, 0, eaLeft)});
    const QByteArray record = Record(project);

    // Out-of-range values come back within bounds; a nameless or repeated name is dropped.
    TVmElementProject reread;
    LoadRecord(reread, record);
    ASSERT_EQ(reread.GetStyles().size(), 1u);
    EXPECT_EQ(reread.GetStyles()[0].FontSize, MaxStyleFontSize);
    EXPECT_EQ(reread.GetStyles()[0].Leading, MaxLeading);
    EXPECT_EQ(reread.GetStyles()[0].Tracking, MinTracking);

    // A section cut short is an error, not a half-read project.
    TVmElementProject cut;
    EXPECT_THROW(LoadRecord(cut, record.left(record.size() - 3)), ETypedFilerError);

    // Other bytes after a record are let be, as readers always have.
    TVmElementProject plain;
    const QByteArray plainRecord = Record(plain);
    for (const QByteArray &tail : {QByteArray("tail"), QByteArray::fromHex("06"), Record(plain)}) {
        TVmElementProject tolerant;
        EXPECT_NO_THROW(LoadRecord(tolerant, plainRecord + tail));
        EXPECT_TRUE(tolerant.GetStyles().empty());
        TVmElementText text;
        EXPECT_NO_THROW(LoadRecord(text, Record(TVmElementText()) + tail));
        EXPECT_EQ(text.GetStyleName(), QString());
    }
}

} // namespace
