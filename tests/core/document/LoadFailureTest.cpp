// Every way a project file can fail to open: the exact message, and a fresh project afterwards.
#include "core/document/Document.h"
#include "core/document/TreeSection.h"
#include "core/document/ElementCatalogue.h"
#include "core/typedfiler/TypeTags.h"
#include "support/RecordBytes.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test::bytes;

namespace {

struct TFailureRow
{
    const char *Name;
    QByteArray File;
    QString Message;
};

void PrintTo(const TFailureRow &row, std::ostream *out) { *out << row.Name; }

const QByteArray Structure0 = Structure(Body{});
const QByteArray ProjectElement = ElementData("TVmElementProject", DefaultProjectRecord());
const QByteArray ProjectCaption = Caption(QStringLiteral("Velmora Project"));

QByteArray WithProject(const QByteArray &children, quint32 count)
{
    return ProjectFile(Section(1, Node(Structure(Body{count}, children) + ProjectElement + ProjectCaption)));
}

// A column nested depth levels deep under the project.
QByteArray DeepFile(int depth)
{
    QByteArray node = CaptionedNode("TVmElementColumn", QStringLiteral("c"));
    for (int i = 1; i < depth; ++i)
        node = Node(Structure(Body{1}, node) + ElementData("TVmElementColumn", WideString(QStringLiteral("c"))));
    return WithProject(node, 1);
}

QString Msg(const char *text) { return QString::fromLatin1(text); }

std::vector<TFailureRow> Rows()
{
    using namespace TreeSectionMessages;
    const QByteArray textRecord = Cat({Version(3), WideString(QStringLiteral("t")), Integer(1)});
    return {
        {"empty_file", {}, QStringLiteral("Invalid file type")},
        {"wrong_signature", "VELMORA02" + Section(1, {}), QStringLiteral("Invalid file type")},
        {"short_header", ProjectFile(Header().left(11)), Msg(NotEnoughData)},
        {"missing_count", ProjectFile(Header() + "\1\0"), Msg(NotEnoughData)},
        {"wrong_header", ProjectFile(Header().replace(2, 1, "W") + Le(quint32(0))), Msg(WrongFormat)},
        {"wrong_last_unit", ProjectFile(Header().left(10) + Le(quint16(0x2047)) + Le(quint32(0))), Msg(WrongFormat)},
        {"version_3", ProjectFile(Section(1, {}, 3)), Msg(UnknownVersion)},
        {"no_anchor", ProjectFile(Section(1, Structure0 + ProjectElement)), Msg(AnchorMissing)},
        {"anchor_cuts_body", ProjectFile(Section(1, Le(qint32(1)) + Le(qint32(12)) + Structure0 + ProjectElement)),
            Msg(DataAfterEnd)},
        {"unknown_class", ProjectFile(Section(1, Node(Structure0 + ElementData("TVmElementFoo", {})))),
            QStringLiteral("Class TVmElementFoo not found")},
        {"record_type_mismatch", WithProject(Node(Structure0 + ElementData("TVmElementText", textRecord)), 1),
            QStringLiteral("Type %1 found and %2 expected in stream.").arg(TypeName(14), TypeName(3))},
        {"blank_image", WithProject(Node(Structure0 + ElementData("TVmElementImage", Version(1) + String("") + String("none"))), 1),
            QStringLiteral("Unexpected blank image content")},
        {"record_longer_than_chunk", WithProject(Node(Structure0 + ElementData("TVmElementText", Version(3))), 1),
            Msg(DataAfterEnd)},
        {"negative_chunk", ProjectFile(Section(1, Node(Structure0 + Chunk(9, {}).replace(4, 4, Le(qint32(-8))) + ProjectElement))),
            Msg(NegativeSize)},
        {"negative_anchor", ProjectFile(Section(1, Le(qint32(1)) + Le(qint32(-1)))), Msg(NegativeSize)},
        {"anchor_past_data", ProjectFile(Section(1, Le(qint32(1)) + Le(qint32(1000)) + Structure0)), Msg(PastEnd)},
        {"cut_anchor_header", ProjectFile(Section(2, Node(Structure0 + ProjectElement) + "\1\0\0")), Msg(PastEnd)},
        {"chunk_past_node", ProjectFile(Section(1, Node(Structure0 + ProjectElement + Le(qint32(3)) + Le(qint32(50))))),
            Msg(DataAfterEnd)},
        {"too_many_children", WithProject({}, 0xFFFFFFFF), Msg(TooManyChildren)},
        {"nested_too_deep", DeepFile(MaxNodeDepth + 1), Msg(TooDeep)},
        {"node_without_element", WithProject(Node(Structure0 + Caption(QStringLiteral("x"))), 1), Msg(NoElement)},
        {"no_nodes", ProjectFile(Section(0, {})), Msg(DocumentMessages::NoProject)},
        {"first_not_project", ProjectFile(Section(1, CaptionedNode("TVmElementColumn", QStringLiteral("c")))),
            Msg(DocumentMessages::NotAProject)},
    };
}

class LoadFailure : public testing::TestWithParam<TFailureRow>
{
};

TEST_P(LoadFailure, OpenReportsAndStartsAfresh)
{
    const TFailureRow &row = GetParam();
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("damaged.vmz"));
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(row.File);
    file.close();

    TDocument document;
    document.Tree().AddChild(*document.ProjectNode(), CreateElement("TVmElementText"));
    document.MarkModified();
    try {
        document.OpenProject(name);
        FAIL() << "opened";
    } catch (const EDocumentError &error) {
        EXPECT_EQ(error.message(),
            QStringLiteral("The file \"%1\" could not be loaded. \r\n The following error was returned : %2").arg(name, row.Message));
    }
    EXPECT_TRUE(document.ProjectFileName().isEmpty());
    EXPECT_FALSE(document.Modified());
    EXPECT_EQ(document.Title(), QStringLiteral("Velmora - []"));
    ASSERT_EQ(document.Tree().Root().ChildCount(), 1u);
    EXPECT_EQ(document.ProjectNode()->ChildCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Rows, LoadFailure, testing::ValuesIn(Rows()),
    [](const auto &info) { return std::string(info.param.Name); });

TEST(LoadFailureLimits, DeepestAcceptedNesting)
{
    QByteArray file = DeepFile(MaxNodeDepth);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    TDocument document;
    document.LoadProjectFile(buffer);
    int depth = 0;
    for (const TElementNode *node = document.ProjectNode(); node->ChildCount() > 0; node = node->Child(0))
        ++depth;
    EXPECT_EQ(depth, MaxNodeDepth);
}

// A direct load that fails leaves the open project untouched.
TEST(LoadFailureLimits, FailedLoadKeepsTheProject)
{
    TDocument document;
    document.ProjectNode()->Element()->SetCaption(-1, QStringLiteral("Mine"));
    document.MarkModified();
    QByteArray file = ProjectFile(Section(1, CaptionedNode("TVmElementColumn", QStringLiteral("c"))));
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_THROW(document.LoadProjectFile(buffer), EDocumentError);
    QString caption;
    document.ProjectNode()->Element()->GetCaption(-1, caption);
    EXPECT_EQ(caption, QStringLiteral("Mine"));
    EXPECT_TRUE(document.Modified());
}

TEST(LoadFailureLimits, MissingFile)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("absent.vmz"));
    TDocument document;
    try {
        document.OpenProject(name);
        FAIL() << "opened";
    } catch (const EDocumentError &error) {
        QFile probe(name);
        probe.open(QIODevice::ReadOnly);
        EXPECT_EQ(error.message(), QStringLiteral("The file \"%1\" could not be loaded. \r\n The following error was returned : "
                                                  "Cannot open file \"%1\". %2")
                                       .arg(name, probe.errorString()));
    }
}

} // namespace
